#include "photo_loader.h"

#include <vips/vips8>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <memory>
#include <stdexcept>

#include "common/input_file.h"

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

std::string vips_message() {
    std::string text = vips_error_buffer();
    vips_error_clear();
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    const size_t line = text.find('\n');
    if (line != std::string::npos) text.erase(line);  // the first line names the cause
    return text;
}

[[noreturn]] void fail(const std::string& path, const std::string& why) {
    throw std::runtime_error(path + ": " + why);
}

// The short name of the loader libvips picks for the file, among the four
// the printer tool takes; anything else is refused.
std::string photo_loader(const std::string& path) {
    // Checked first: finding the loader reads the file, which a device or a
    // pipe may never end.
    if (std::string problem = tools::input_file_problem(path); !problem.empty()) fail(path, problem);
    const char* loader = vips_foreign_find_load(path.c_str());
    if (loader == nullptr) {
        std::string why = vips_message();
        fail(path, why.empty() ? "not an image file" : why);
    }
    const std::string name = lower(loader);
    for (const char* known : {"jpeg", "png", "tiff", "webp"})
        if (name.find(known) != std::string::npos) return known;
    fail(path, "not a JPEG, PNG, TIFF or WebP file");
}

VImage open_photo(const std::string& path, VipsAccess access) {
    return VImage::new_from_file(path.c_str(), VImage::option()->set("access", access)->set("fail_on", VIPS_FAIL_ON_ERROR));
}

}  // namespace

VipsRuntime::VipsRuntime() {
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
    header.loader = photo_loader(path);
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
    photo_loader(path);
    RgbImage out;
    try {
        VImage image = open_photo(path, VIPS_ACCESS_RANDOM).autorot();
        if (image.get_typeof(VIPS_META_ICC_NAME) != 0)
            image = image.icc_transform("srgb", VImage::option()->set("embedded", true)->set("intent", VIPS_INTENT_PERCEPTUAL));
        if (image.interpretation() != VIPS_INTERPRETATION_sRGB) image = image.colourspace(VIPS_INTERPRETATION_sRGB);
        if (image.has_alpha()) image = image.flatten(VImage::option()->set("background", std::vector<double>{255, 255, 255}));
        if (image.bands() > 3) image = image.extract_band(0, VImage::option()->set("n", 3));
        if (image.format() != VIPS_FORMAT_UCHAR) image = image.cast(VIPS_FORMAT_UCHAR);
        if (image.bands() != 3) fail(path, "cannot be turned into RGB");

        // A portrait photo on a landscape area, or the other way round, is
        // turned a quarter clockwise so that it fills the area better.
        const bool photo_wide = image.width() > image.height(), area_wide = width > height;
        if (image.width() != image.height() && width != height && photo_wide != area_wide)
            image = image.rot(VIPS_ANGLE_D90);

        if (image.width() != width || image.height() != height) {
            const double across = double(width) / image.width(), down = double(height) / image.height();
            const double scale = placement == Placement::Fit ? std::min(across, down) : std::max(across, down);
            int to_width = std::max(1, static_cast<int>(std::lround(image.width() * scale)));
            int to_height = std::max(1, static_cast<int>(std::lround(image.height() * scale)));
            if (placement == Placement::Fit) {
                to_width = std::min(to_width, width);
                to_height = std::min(to_height, height);
            } else {
                to_width = std::max(to_width, width);
                to_height = std::max(to_height, height);
            }
            image = image.resize(double(to_width) / image.width(),
                                 VImage::option()->set("vscale", double(to_height) / image.height()));
            // Rounding inside the resampler may leave a pixel more or less:
            // cut to the size wanted, evenly, filling a missing pixel white.
            const int final_width = placement == Placement::Fit ? std::min(image.width(), width) : width;
            const int final_height = placement == Placement::Fit ? std::min(image.height(), height) : height;
            if (image.width() != final_width || image.height() != final_height)
                image = image.gravity(VIPS_COMPASS_DIRECTION_CENTRE, final_width, final_height,
                                      VImage::option()
                                          ->set("extend", VIPS_EXTEND_BACKGROUND)
                                          ->set("background", std::vector<double>{255, 255, 255}));
        }
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
