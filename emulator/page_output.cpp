#include "page_output.h"

#include <png.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

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

std::string page_json_path(const std::string& png_path) {
    return std::filesystem::path(png_path).replace_extension(".json").string();
}

bool write_page_json(const PrintedCopy& copy, std::string* error) {
    using nlohmann::ordered_json;
    const PageSetup& page = copy.page;
    ordered_json cuts = ordered_json::array();
    for (uint16_t cut : copy.cut_list.cuts) cuts.push_back(cut);
    ordered_json strings = ordered_json::array();
    for (const auto& string : copy.laminate_strings) {
        if (!string) continue;
        strings.push_back({{"slot", string->slot},
                           {"value_a", string->value_a},
                           {"value_b", string->value_b},
                           {"value_c", string->value_c},
                           {"value_d", string->value_d},
                           {"text", string->text}});
    }
    ordered_json record = {
        {"serial", copy.serial},
        {"print", copy.print_number},
        {"job", page.number},
        {"copy", copy.copy},
        {"copies", page.copies},
        {"image", {{"width", page.width}, {"height", page.height}, {"offset_x", page.offset_x}, {"offset_y", page.offset_y}}},
        {"print_area", {{"width", page.area_width}, {"height", page.area_height}}},
        {"tag20", page.tag20},
        {"tag30", page.tag30},
        {"cut_list", {{"count", copy.cut_list.count}, {"cuts", std::move(cuts)}}},
        {"laminate_strings", std::move(strings)},
    };
    const std::string path = page_json_path(copy.path);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    // Text bytes that are not UTF-8 come out as U+FFFD rather than stopping the page.
    out << record.dump(2, ' ', false, ordered_json::error_handler_t::replace) << '\n';
    out.close();
    if (!out) {
        if (error) *error = path + ": cannot write";
        return false;
    }
    return true;
}

}  // namespace tz::emulator
