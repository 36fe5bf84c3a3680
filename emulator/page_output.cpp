#include "page_output.h"

#include <png.h>

#include <algorithm>
#include <cstring>

namespace tz::emulator {

bool write_page_png(const PrintedCopy& copy, std::string* error) {
    const PageSetup& page = copy.page;
    const size_t width = std::max<size_t>(page.area_width, 1);
    const size_t height = std::max<size_t>(page.area_height, 1);
    const size_t stride = width * 3;
    std::vector<uint8_t> sheet(stride * height, 0xFF);
    if (copy.pixels) {
        const std::vector<uint8_t>& pixels = *copy.pixels;
        const size_t line = size_t{page.width} * 3;
        for (size_t y = 0; y < page.height; ++y) {
            size_t to_y = y + page.offset_y;
            if (to_y >= height || (y + 1) * line > pixels.size()) break;
            size_t columns = std::min<size_t>(page.width, width > page.offset_x ? width - page.offset_x : 0);
            std::memcpy(sheet.data() + to_y * stride + size_t{page.offset_x} * 3, pixels.data() + y * line, columns * 3);
        }
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    if (!png_image_write_to_file(&image, copy.path.c_str(), 0, sheet.data(), static_cast<png_int_32>(stride), nullptr)) {
        if (error) *error = copy.path + ": " + image.message;
        png_image_free(&image);
        return false;
    }
    return true;
}

}  // namespace tz::emulator
