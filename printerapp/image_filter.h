// TIFF and WebP documents, which PAPPL does not read itself: decoded with
// libvips (upright, in sRGB, flattened on white) and handed to PAPPL's own
// image path, which fits, fills and turns them as it does JPEG and PNG.
#pragma once

#include <pappl/pappl.h>

namespace tz::app {

inline constexpr const char* kTiff = "image/tiff";
inline constexpr const char* kWebp = "image/webp";

// Registers the two filters and the detection of both formats by their
// first bytes (for clients that send application/octet-stream).
void add_image_filters(pappl_system_t* system);

// "image/tiff", "image/webp" or nothing, from a file's first bytes.
const char* detect_image_format(const unsigned char* header, size_t size);

}  // namespace tz::app
