#include "photo_pipeline.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <stdexcept>

#include "common/input_file.h"

namespace tz::ctl {

namespace {

using vips::VError;
using vips::VImage;

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

[[noreturn]] void fail(const std::string& path, const std::string& why) {
    throw std::runtime_error(path + ": " + why);
}

// A portrait photo on a landscape area, or the other way round, is turned a
// quarter clockwise so that it fills the area better.
bool needs_quarter_turn(int photo_width, int photo_height, int width, int height) {
    const bool photo_wide = photo_width > photo_height, area_wide = width > height;
    return photo_width != photo_height && width != height && photo_wide != area_wide;
}

VImage fitted(VImage image, const std::string& path, int width, int height, Placement placement) {
    if (image.get_typeof(VIPS_META_ICC_NAME) != 0)
        image = image.icc_transform("srgb", VImage::option()->set("embedded", true)->set("intent", VIPS_INTENT_PERCEPTUAL));
    if (image.interpretation() != VIPS_INTERPRETATION_sRGB) image = image.colourspace(VIPS_INTERPRETATION_sRGB);
    if (image.has_alpha()) image = image.flatten(VImage::option()->set("background", std::vector<double>{255, 255, 255}));
    if (image.bands() > 3) image = image.extract_band(0, VImage::option()->set("n", 3));
    if (image.format() != VIPS_FORMAT_UCHAR) image = image.cast(VIPS_FORMAT_UCHAR);
    if (image.bands() != 3) fail(path, "cannot be turned into RGB");

    if (needs_quarter_turn(image.width(), image.height(), width, height)) image = image.rot(VIPS_ANGLE_D90);

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
    return image;
}

}  // namespace

std::string vips_message() {
    std::string text = vips_error_buffer();
    vips_error_clear();
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    const size_t line = text.find('\n');
    if (line != std::string::npos) text.erase(line);  // the first line names the cause
    return text;
}

std::string photo_format(const std::string& path) {
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

VImage photo_pipeline(const std::string& path, int width, int height, Placement placement, bool line_by_line) {
    photo_format(path);
    try {
        VImage image = open_photo(path, line_by_line ? VIPS_ACCESS_SEQUENTIAL : VIPS_ACCESS_RANDOM);
        if (line_by_line) {
            // Turning reads the photo in another order than from the top.
            const bool upright = vips_image_get_orientation(image.get_image()) == 1;
            if (!upright || needs_quarter_turn(image.width(), image.height(), width, height))
                image = open_photo(path, VIPS_ACCESS_RANDOM);
        }
        return fitted(image.autorot(), path, width, height, placement);
    } catch (const VError&) {
        fail(path, vips_message());
    }
}

}  // namespace tz::ctl
