#include "image_format.h"

#include "print_job_state.h"

namespace tz::lib {

ResultCode set_image_format(PrintJobState& job, int format, int channels, int bits_per_channel, int width, int height,
                            int offset_x, int offset_y) {
    const auto low = [](int value) { return static_cast<uint16_t>(value); };
    const uint16_t f = low(format), c = low(channels), bits = low(bits_per_channel);
    const uint16_t w = low(width), h = low(height), x = low(offset_x), y = low(offset_y);
    if (w < 1 || w > kLargestImageSide || h < 1 || h > kLargestImageSide || (f != 3 && f != 4) || c != 3 || bits != 8)
        return TZP_BAD_PARAMETER;
    job.image.format = f;
    job.image.channels = c;
    if (uint32_t{w} + x > job.area_width) return TZP_BAD_PARAMETER;
    job.image.width = w;
    job.offset_x = x;
    if (uint32_t{h} + y > job.area_height) return TZP_BAD_PARAMETER;
    job.image.height = h;
    job.offset_y = y;
    return TZP_OK;
}

ResultCode set_copies(PrintJobState& job, int copies) {
    job.copies = static_cast<uint16_t>(copies);
    return TZP_OK;
}

}  // namespace tz::lib
