// The image a context's next page carries, and how many copies: context
// settings only, no printer traffic.
#pragma once

#include "core/result_codes.h"

namespace tz::lib {

struct PrintJobState;

inline constexpr int kLargestImageSide = 4096;

// Checks and stores format (3 printer order, 4 first and third byte swapped),
// channels (3), bits (8), size (1..4096 each) and offsets, which must keep
// the image inside the print area; TZP_BAD_PARAMETER otherwise. A failure of the width or
// height check keeps what was stored before it. Arguments count by their low
// 16 bits.
ResultCode set_image_format(PrintJobState& job, int format, int channels, int bits_per_channel, int width, int height,
                            int offset_x, int offset_y);

// Always TZP_OK: the printer checks the count with the page.
ResultCode set_copies(PrintJobState& job, int copies);

}  // namespace tz::lib
