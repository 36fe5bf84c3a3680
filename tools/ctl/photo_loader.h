// Photos for the printer: loaded with libvips (JPEG, PNG, TIFF, WebP), turned
// upright, brought to sRGB, fitted or cropped to the print area, as 8-bit RGB.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tz::ctl {

// libvips started for the commands that need it and shut down after them.
// One at a time per process.
class VipsRuntime {
public:
    VipsRuntime();
    ~VipsRuntime();
    VipsRuntime(const VipsRuntime&) = delete;
    VipsRuntime& operator=(const VipsRuntime&) = delete;
};

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // width x height x 3 bytes, top line first
};

// What the header of a photo says, read without decoding the pixels.
struct PhotoHeader {
    std::string loader;  // "jpeg", "png", "tiff" or "webp"
    int width = 0;       // upright, after the orientation the file records
    int height = 0;
    bool has_profile = false;
};

// Throws std::runtime_error with a message naming the file when it cannot be
// read, is not one of the four formats or is unreasonably large.
PhotoHeader read_photo_header(const std::string& path);

enum class Placement { Fit, Fill };

// The photo made ready for an area of `width` x `height`: upright, turned a
// quarter when its orientation differs from the area's, converted to sRGB
// (through the embedded profile, when there is one), scaled so that it lies
// inside the area (Fit; the area's white shows beside it) or covers it
// (Fill; what stands out is cut off evenly on both sides). The result is
// never larger than the area. Throws std::runtime_error.
RgbImage load_photo(const std::string& path, int width, int height, Placement placement);

// Writes 8-bit RGB as JPEG or PNG, chosen by the file name's extension.
void save_rgb_image(const RgbImage& image, const std::string& path);

// True when the extension is one save_rgb_image writes.
bool is_chart_file_name(const std::string& path);

}  // namespace tz::ctl
