// A photo as a libvips pipeline made ready for the print area: opened,
// turned upright, brought to 8-bit sRGB, turned a quarter to suit the area
// and fitted or cropped to it. Nothing is decoded until its pixels are asked
// for.
#pragma once

#include <vips/vips8>

#include <string>

#include "photo_loader.h"

namespace tz::ctl {

// The short name of the loader libvips picks for the file: "jpeg", "png",
// "tiff" or "webp". Throws std::runtime_error naming the file for anything else.
std::string photo_format(const std::string& path);

// Opens the file, failing on decoding errors. Throws vips::VError.
vips::VImage open_photo(const std::string& path, VipsAccess access);

// The photo made ready for an area of `width` x `height`, as load_photo
// describes. `line_by_line`: read once from the top where the photo allows
// it (it is upright already and needs no quarter turn), so that its lines
// can be asked for in order while the rest is still in the file; otherwise,
// and for a photo that must be turned, it is decoded whole at the first
// pixel asked for. The pixels are the same either way. The file's format is
// checked first (photo_format). Throws std::runtime_error naming the file.
vips::VImage photo_pipeline(const std::string& path, int width, int height, Placement placement, bool line_by_line);

// The first line of what libvips last reported; its error buffer emptied.
std::string vips_message();

}  // namespace tz::ctl
