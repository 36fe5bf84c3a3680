#include "photo_loader.h"

#include <vips/vips8>

#include <algorithm>
#include <cctype>
#include <memory>
#include <stdexcept>

#include "photo_pipeline.h"

namespace tz::ctl {

namespace {

using vips::VImage;
using vips::VError;

// Larger photos are refused before any pixel is decoded.
constexpr double kLargestPixelCount = 150e6;
constexpr int kLargestSide = 65000;

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

[[noreturn]] void fail(const std::string& path, const std::string& why) {
    throw std::runtime_error(path + ": " + why);
}

}  // namespace

VipsRuntime::VipsRuntime() {
    // libvips loads its modules (PDF, SVG, HEIF, JPEG XL, ImageMagick and
    // slide formats) from below VIPSHOME as it starts. The tool prints none
    // of those formats, and loading them costs time and some 8 MB of
    // memory: VIPSHOME names a place that holds none.
    g_setenv("VIPSHOME", "/dev/null", TRUE);
    if (VIPS_INIT("TZ5170Ctl") != 0) throw std::runtime_error("cannot start libvips: " + vips_message());
    // Two cores' worth of threads, no operation cache (each photo is read
    // once), and none of the loaders for formats the tool does not print.
    vips_concurrency_set(2);
    vips_cache_set_max(0);
    vips_block_untrusted_set(TRUE);
}

VipsRuntime::~VipsRuntime() { vips_shutdown(); }

PhotoHeader read_photo_header(const std::string& path) {
    PhotoHeader header;
    header.loader = photo_format(path);
    try {
        VImage image = open_photo(path, VIPS_ACCESS_SEQUENTIAL);
        const bool swap = vips_image_get_orientation_swap(image.get_image()) != 0;
        header.width = swap ? image.height() : image.width();
        header.height = swap ? image.width() : image.height();
        header.has_profile = image.get_typeof(VIPS_META_ICC_NAME) != 0;
    } catch (const VError&) {
        fail(path, vips_message());
    }
    if (header.width > kLargestSide || header.height > kLargestSide ||
        double{1.0} * header.width * header.height > kLargestPixelCount)
        fail(path, std::to_string(header.width) + " x " + std::to_string(header.height) + " pixels is too large to print");
    return header;
}

RgbImage load_photo(const std::string& path, int width, int height, Placement placement) {
    VImage image = photo_pipeline(path, width, height, placement, false);
    RgbImage out;
    try {
        size_t size = 0;
        std::unique_ptr<void, decltype(&g_free)> memory(image.write_to_memory(&size), &g_free);
        out.width = image.width();
        out.height = image.height();
        if (size != size_t(out.width) * out.height * 3) fail(path, "unexpected pixel layout after conversion");
        const auto* bytes = static_cast<const uint8_t*>(memory.get());
        out.pixels.assign(bytes, bytes + size);
    } catch (const VError&) {
        fail(path, vips_message());
    }
    return out;
}

bool is_chart_file_name(const std::string& path) {
    const std::string name = lower(path);
    for (const char* extension : {".jpg", ".jpeg", ".png"}) {
        const std::string e = extension;
        if (name.size() > e.size() && name.compare(name.size() - e.size(), e.size(), e) == 0) return true;
    }
    return false;
}

void save_rgb_image(const RgbImage& image, const std::string& path) {
    try {
        VImage picture = VImage::new_from_memory(const_cast<uint8_t*>(image.pixels.data()), image.pixels.size(),
                                                 image.width, image.height, 3, VIPS_FORMAT_UCHAR)
                             .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
        const std::string name = lower(path);
        if (name.size() >= 4 && name.compare(name.size() - 4, 4, ".png") == 0)
            picture.pngsave(path.c_str());
        else
            picture.jpegsave(path.c_str(), VImage::option()->set("Q", 92));
    } catch (const VError&) {
        fail(path, vips_message());
    }
}

}  // namespace tz::ctl
