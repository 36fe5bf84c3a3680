// The image a context's next page carries, and how many copies: context
// settings only, no printer traffic.
#pragma once

#include "core/result_codes.h"

namespace tz::lib {

struct PrintJobState;

inline constexpr int kLargestImageSide = 4096;

// Checks and stores format (3 printer order, 4 first and third byte swapped),
// channels (3), bits (8), size (1..4096 each) and offsets, which must keep
// the image inside the print area; 1006 otherwise. A failure of the width or
// height check keeps what was stored before it. Arguments count by their low
// 16 bits.
bool set_image_format(PrintJobState& job, int format, int channels, int bits_per_channel, int width, int height,
                      int offset_x, int offset_y, ResultCode& code);

void set_copies(PrintJobState& job, int copies, ResultCode& code);

}  // namespace tz::lib
