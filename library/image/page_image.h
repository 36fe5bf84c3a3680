// The page's pixels as the host described them (tzpusb_imageformat), and how
// far the write path has come with them.
#pragma once

#include <cstdint>

namespace tz::lib {

struct PageImage {
    uint16_t width = 0;
    uint16_t height = 0;
    uint16_t channels = 3;
    uint16_t format = 3;  // 3: the printer's channel order; 4: the outer channels swapped
    uint32_t lines_processed = 0;
    uint32_t bytes_expected = 0;  // width x height x channels, from the page's first write
};

}  // namespace tz::lib
