#include "media_catalog.h"

#include <cmath>
#include <cstdio>

#include <cups/cups.h>

namespace tz::app {

namespace {

constexpr int kHmmPerInch = 2540;

struct PhotoSize {
    const char* name;
    int width_in, length_in;
};
constexpr PhotoSize kPhotoSizes[] = {
    {"na_index-4x6_4x6in", 4, 6},      {"na_5x7_5x7in", 5, 7},         {"na_index-4x6-ext_6x8in", 6, 8},
    {"na_govt-letter_8x10in", 8, 10},  {"oe_photo-s8r_8x12in", 8, 12},
};

int le16(const uint8_t* p) { return p[0] | p[1] << 8; }

// "8.2134" for 2464 pixels: rounded up in the fourth decimal, so that the
// size read back from the name rasterises to the same pixels again.
std::string inches(int pixels) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4f", std::ceil(double(pixels) * 10000 / kResolution) / 10000);
    std::string s = text;
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
    return s;
}

}  // namespace

std::optional<MediaInfo> parse_media_info(const uint8_t* data, size_t size) {
    if (data == nullptr || size < 10) return std::nullopt;
    MediaInfo info;
    info.media_kind = data[0];
    info.ribbon_kind = data[3];
    info.width = le16(data + 4);
    info.height = le16(data + 6);
    info.prints_left = le16(data + 8);
    if (info.width == 0 || info.height == 0) return std::nullopt;
    return info;
}

MediaInfo factory_media() { return MediaInfo{1, 1, 2464, 3720, 0}; }

Area area_for_size(int width_hmm, int length_hmm) {
    return Area{(width_hmm * kResolution / kHmmPerInch) & ~1, (length_hmm * kResolution / kHmmPerInch) & ~1};
}

std::vector<MediaSize> sizes_for(const MediaInfo& media) {
    std::vector<MediaSize> sizes;
    for (const PhotoSize& photo : kPhotoSizes) {
        MediaSize size{photo.name, photo.width_in * kHmmPerInch, photo.length_in * kHmmPerInch, {}};
        size.area = area_for_size(size.width_hmm, size.length_hmm);
        if (size.area.width <= media.width && size.area.height <= media.height) sizes.push_back(size);
    }
    const int width = media.width & ~1, height = media.height & ~1;
    if (width >= 2 && height >= 2) {
        MediaSize full;
        full.pwg_name = "custom_tz5170-full_" + inches(width) + "x" + inches(height) + "in";
        // The size the name stands for, which rasterises to the media's pixels.
        if (const pwg_media_t* pwg = pwgMediaForPWG(full.pwg_name.c_str())) {
            full.width_hmm = pwg->width;
            full.length_hmm = pwg->length;
        }
        full.area = Area{width, height};
        sizes.push_back(full);
    }
    return sizes;
}

std::optional<int> finish_setting(const std::string& media_type) {
    if (media_type == kGlossy) return 0;
    if (media_type == kMatte) return 1;
    return std::nullopt;
}

}  // namespace tz::app
