// The media the printer application offers: the usual photo sizes that fit
// the loaded media, and the media's own full size, each printed at 300 dpi
// on a print area of exactly the page's pixels; and the two finishes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tz::app {

inline constexpr int kResolution = 300;  // dots per inch, both directions

// A print area in printer pixels (even sides, as the printer takes them).
struct Area {
    int width = 0;
    int height = 0;
    bool operator==(const Area&) const = default;
};

// What printer-information tag 0 reports about the loaded media.
struct MediaInfo {
    uint8_t media_kind = 0;
    uint8_t ribbon_kind = 0;
    int width = 0;   // largest print width, pixels
    int height = 0;  // largest print height, pixels
    int prints_left = 0;
    bool operator==(const MediaInfo&) const = default;
};

// The 13 bytes of tag 0: 0 media kind, 3 ribbon kind, 4..5 width, 6..7
// height, 8..9 prints left (little-endian). Nothing when too short or the
// sizes are 0.
std::optional<MediaInfo> parse_media_info(const uint8_t* data, size_t size);

// The media the printer ships with (2464 x 3720, 8.21 x 12.4 in), used
// while a printer cannot be asked.
MediaInfo factory_media();

struct MediaSize {
    std::string pwg_name;  // PWG self-describing name, e.g. na_index-4x6_4x6in
    int width_hmm = 0;     // hundredths of millimetres, as IPP gives them
    int length_hmm = 0;
    Area area;             // the print area this size prints on
};

// The sizes offered for media: 4x6, 5x7, 6x8, 8x10, 8x12 in (those whose
// area fits the media's largest print) and, last, the media's own full
// size (custom_tz5170-full_WxHin), which is the default.
std::vector<MediaSize> sizes_for(const MediaInfo& media);

// The print area of a page of `width` x `length` hundredths of a millimetre
// at 300 dpi, as PAPPL rasterises it: pixel for pixel, odd sides made even.
Area area_for_size(int width_hmm, int length_hmm);

// The finishes: media-type keyword -> the tag-30 print setting that selects
// it (0 glossy, the printer's default; 1 matte, the printer's laminate
// pattern). Unknown types give nothing.
inline constexpr const char* kGlossy = "photographic-glossy";
inline constexpr const char* kMatte = "photographic-matte";
std::optional<int> finish_setting(const std::string& media_type);

}  // namespace tz::app
