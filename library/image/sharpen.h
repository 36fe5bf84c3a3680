// Host-side sharpening: the 3 x 3 kernel in hundredths over a window of three
// lines, each framed by white margins.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "mtf_kernel.h"

namespace tz::lib {

// The kernel as one page uses it. Without any corner coefficient in the mask
// the sum has five terms and the corners are zero here.
struct SharpenPlan {
    std::array<int32_t, MtfKernel::kSize> k{};
    bool nine_terms = false;
    // Every possible sum fits 32 bits (sum of |k| times 255), so the vector
    // path may add in 32-bit lanes; otherwise rows go through the reference.
    bool fits_32_bits = true;
    // Every possible sum lies in a range of at most 65536 values (sum of |k|
    // times 255 at most 65535), so a sum computed modulo 2^16 is still
    // exact once `low`, the least possible sum, is known.
    bool fits_16_bits = false;
    int32_t low = 0;
};

SharpenPlan make_sharpen_plan(const MtfKernel& kernel);

// One output row. The rows point at their first pixel byte; `step` is the
// channel count, so that left and right are the same channel one pixel
// away; bytes [-step, bytes + step) of each row are read. For every byte:
// the weighted sum of its neighbourhood, divided by 100 truncating toward
// zero, limited to 0..255. Exact for every kernel.
void sharpen_row(const SharpenPlan& plan, const uint8_t* previous, const uint8_t* current, const uint8_t* next,
                 size_t bytes, size_t step, uint8_t* out);
// The same, byte by byte in 64-bit arithmetic: the reference.
void sharpen_row_reference(const SharpenPlan& plan, const uint8_t* previous, const uint8_t* current,
                           const uint8_t* next, size_t bytes, size_t step, uint8_t* out);

// The window of three lines (next, current, previous). Each line buffer holds
// one pixel of margin, the pixels, then four bytes of margin; margins are
// white (0xFF). Moving the window shifts the lines, so output lags input by
// one line.
class LineSharpener {
public:
    static constexpr size_t kMaxWidth = 4096;
    static constexpr size_t kMaxChannels = 4;
    static constexpr size_t kLineBufferSize = kMaxWidth * kMaxChannels + 8;  // 16392

    // Sizes the three line buffers once; false when memory is short.
    bool allocate();
    // Fills all three lines with white.
    void clear();
    // previous <- current <- next <- `line` (width x channels bytes; null for
    // a white line). With `swap` and 3 or 4 channels, input channel c lands
    // in channel (2, 1, 0, 3)[c].
    void advance(const uint8_t* line, size_t width, int channels, bool swap);
    // The sharpened current line, width x channels bytes.
    void compute(const SharpenPlan& plan, size_t width, int channels, uint8_t* out) const;

private:
    uint8_t* line(int which) const { return storage_.get() + static_cast<size_t>(order_[which]) * kLineBufferSize; }

    std::unique_ptr<uint8_t[]> storage_;
    std::array<int, 3> order_{0, 1, 2};  // buffers of next, current, previous
};

}  // namespace tz::lib
