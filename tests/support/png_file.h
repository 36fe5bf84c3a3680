// PNG files of 8-bit RGB: photos a test prints, and the pages a virtual
// printer wrote.
#pragma once

#include <png.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace tz::test {

// The pixels, or nothing when the file cannot be read (yet).
inline std::vector<uint8_t> read_png(const std::string& path, uint32_t& width, uint32_t& height) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return {};
    width = image.width;
    height = image.height;
    return pixels;
}

// Writes `rgb` (width x height x 3 bytes) as a PNG file; false when that fails.
inline bool write_png(const std::string& path, uint32_t width, uint32_t height, const std::vector<uint8_t>& rgb) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr) != 0;
}

}  // namespace tz::test
