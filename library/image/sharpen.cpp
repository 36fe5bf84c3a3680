// The row arithmetic is compiled once for every instruction set and chosen at
// run time. Bytes are widened to 32-bit lanes, weighted and summed exactly;
// the sum is limited to 0..25599 before the division, which is then a
// multiply and shift: for those sums floor(s / 100) = (s * 5243) >> 19, and a
// negative sum truncates to a non-positive quotient, stored as 0 like the
// clamped one. Kernels whose sums span at most 65536 values go through
// 16-bit lanes instead: the sum is taken modulo 2^16 from the offset -low,
// so that it reads as s - low without wrapping, limited there, and divided
// by 100 as the high half of s * 41944, shifted right by 6.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "image/sharpen.cpp"
#include "hwy/foreach_target.h"  // IWYU pragma: keep
#include "hwy/highway.h"

#include "sharpen.h"

HWY_BEFORE_NAMESPACE();
namespace tz::lib::HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

#if HWY_TARGET != HWY_SCALAR
// `start` plus the kernel's weighted sum around the bytes at `prev`, `cur`
// and `next`, `step` bytes to a neighbour, in two chains of additions.
template <bool kNineTerms, class V, class Load>
HWY_INLINE V KernelSum(const V (&k)[9], V start, const Load& at, const uint8_t* prev, const uint8_t* cur,
                       const uint8_t* next, size_t step) {
    auto a = hn::Add(start, hn::Mul(k[1], at(prev)));
    auto b = hn::Mul(k[4], at(cur));
    a = hn::Add(a, hn::Mul(k[3], at(cur - step)));
    b = hn::Add(b, hn::Mul(k[5], at(cur + step)));
    a = hn::Add(a, hn::Mul(k[7], at(next)));
    if constexpr (kNineTerms) {
        b = hn::Add(b, hn::Mul(k[0], at(prev - step)));
        a = hn::Add(a, hn::Mul(k[2], at(prev + step)));
        b = hn::Add(b, hn::Mul(k[6], at(next - step)));
        a = hn::Add(a, hn::Mul(k[8], at(next + step)));
    }
    return hn::Add(a, b);
}

template <bool kNineTerms>
size_t SharpenVectors16(const SharpenPlan& plan, const uint8_t* HWY_RESTRICT prev, const uint8_t* HWY_RESTRICT cur,
                        const uint8_t* HWY_RESTRICT next, size_t bytes, size_t step, uint8_t* HWY_RESTRICT out) {
    const hn::ScalableTag<uint16_t> d16;
    const hn::Rebind<uint8_t, decltype(d16)> d8;
    const hn::RebindToSigned<decltype(d16)> di16;
    const size_t lanes = hn::Lanes(d16);
    using V16 = hn::Vec<decltype(d16)>;
    V16 k[9];
    for (int c = 0; c < 9; ++c) k[c] = hn::Set(d16, static_cast<uint16_t>(plan.k[c]));
    // In the frame t = s - low: 0 <= t <= 65535, and s = 0 and s = 25599
    // sit at -low and 25599 - low (the latter limited to 65535).
    const int32_t low = plan.low;
    const auto offset = hn::Set(d16, static_cast<uint16_t>(-low));
    const auto bottom = hn::Set(d16, static_cast<uint16_t>(-low));
    const auto top = hn::Set(d16, static_cast<uint16_t>(25599 - low > 65535 ? 65535 : 25599 - low));
    const auto back = hn::Set(d16, static_cast<uint16_t>(low));
    const auto magic = hn::Set(d16, 41944);
    auto at = [&](const uint8_t* p) { return hn::PromoteTo(d16, hn::LoadU(d8, p)); };
    size_t i = 0;
    for (; i + lanes <= bytes; i += lanes) {
        const auto sum = KernelSum<kNineTerms>(k, offset, at, prev + i, cur + i, next + i, step);
        const auto t = hn::Min(hn::Max(sum, bottom), top);
        const auto value = hn::ShiftRight<6>(hn::MulHigh(hn::Add(t, back), magic));
        hn::StoreU(hn::DemoteTo(d8, hn::BitCast(di16, value)), d8, out + i);
    }
    return i;
}

template <bool kNineTerms>
size_t SharpenVectors(const SharpenPlan& plan, const uint8_t* HWY_RESTRICT prev, const uint8_t* HWY_RESTRICT cur,
                      const uint8_t* HWY_RESTRICT next, size_t bytes, size_t step, uint8_t* HWY_RESTRICT out) {
    const hn::ScalableTag<int32_t> d32;
    const hn::Rebind<uint8_t, decltype(d32)> d8;
    const size_t lanes = hn::Lanes(d32);
    using V32 = hn::Vec<decltype(d32)>;
    V32 k[9];
    for (int c = 0; c < 9; ++c) k[c] = hn::Set(d32, plan.k[c]);
    const auto zero = hn::Zero(d32);
    const auto top = hn::Set(d32, 25599);
    const auto magic = hn::Set(d32, 5243);
    auto at = [&](const uint8_t* p) { return hn::PromoteTo(d32, hn::LoadU(d8, p)); };
    size_t i = 0;
    for (; i + lanes <= bytes; i += lanes) {
        const auto raw = KernelSum<kNineTerms>(k, zero, at, prev + i, cur + i, next + i, step);
        const auto sum = hn::Min(hn::Max(raw, zero), top);
        const auto value = hn::ShiftRight<19>(hn::Mul(sum, magic));
        hn::StoreU(hn::DemoteTo(d8, value), d8, out + i);
    }
    return i;
}
#endif

void SharpenRow(const SharpenPlan& plan, const uint8_t* prev, const uint8_t* cur, const uint8_t* next, size_t bytes,
                size_t step, uint8_t* out) {
    size_t done = 0;
#if HWY_TARGET != HWY_SCALAR
    if (plan.fits_16_bits) {
        done = plan.nine_terms ? SharpenVectors16<true>(plan, prev, cur, next, bytes, step, out)
                               : SharpenVectors16<false>(plan, prev, cur, next, bytes, step, out);
    } else if (plan.fits_32_bits) {
        done = plan.nine_terms ? SharpenVectors<true>(plan, prev, cur, next, bytes, step, out)
                               : SharpenVectors<false>(plan, prev, cur, next, bytes, step, out);
    }
#endif
    sharpen_row_reference(plan, prev + done, cur + done, next + done, bytes - done, step, out + done);
}

}  // namespace tz::lib::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "channel_tables.h"

namespace tz::lib {

namespace {
constexpr uint16_t kCornerBits = 0x145;  // k0, k2, k6, k8
constexpr uint8_t kWhite = 0xFF;
}  // namespace

SharpenPlan make_sharpen_plan(const MtfKernel& kernel) {
    SharpenPlan plan;
    plan.k = kernel.k;
    plan.nine_terms = (kernel.mask & kCornerBits) != 0;
    if (!plan.nine_terms) plan.k[0] = plan.k[2] = plan.k[6] = plan.k[8] = 0;
    int64_t weight = 0, negative = 0;
    for (int32_t c : plan.k) {
        weight += std::llabs(c);
        if (c < 0) negative += c;
    }
    plan.fits_32_bits = weight * 255 <= INT32_MAX;
    plan.fits_16_bits = weight * 255 <= 65535;
    plan.low = plan.fits_16_bits ? static_cast<int32_t>(negative * 255) : 0;
    return plan;
}

HWY_EXPORT(SharpenRow);

void sharpen_row(const SharpenPlan& plan, const uint8_t* previous, const uint8_t* current, const uint8_t* next,
                 size_t bytes, size_t step, uint8_t* out) {
    HWY_DYNAMIC_DISPATCH(SharpenRow)(plan, previous, current, next, bytes, step, out);
}

void sharpen_row_reference(const SharpenPlan& plan, const uint8_t* previous, const uint8_t* current,
                           const uint8_t* next, size_t bytes, size_t step, uint8_t* out) {
    const auto& k = plan.k;
    const ptrdiff_t s = static_cast<ptrdiff_t>(step);
    for (size_t n = 0; n < bytes; ++n) {
        const ptrdiff_t i = static_cast<ptrdiff_t>(n);
        int64_t sum = int64_t{k[1]} * previous[i] + int64_t{k[3]} * current[i - s] + int64_t{k[4]} * current[i] +
                      int64_t{k[5]} * current[i + s] + int64_t{k[7]} * next[i];
        if (plan.nine_terms) {
            sum += int64_t{k[0]} * previous[i - s] + int64_t{k[2]} * previous[i + s] + int64_t{k[6]} * next[i - s] +
                   int64_t{k[8]} * next[i + s];
        }
        const int64_t value = sum / 100;
        out[n] = static_cast<uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
    }
}

bool LineSharpener::allocate() {
    if (storage_) return true;
    storage_.reset(new (std::nothrow) uint8_t[3 * kLineBufferSize]);
    if (!storage_) return false;
    clear();
    return true;
}

void LineSharpener::clear() { std::memset(storage_.get(), kWhite, 3 * kLineBufferSize); }

void LineSharpener::advance(const uint8_t* input, size_t width, int channels, bool swap) {
    order_ = {order_[2], order_[0], order_[1]};  // the old previous buffer takes the new line
    uint8_t* next = line(0);
    const size_t step = static_cast<size_t>(channels);
    const size_t bytes = width * step;
    if (input == nullptr) {
        std::memset(next, kWhite, kLineBufferSize);
        return;
    }
    std::memset(next, kWhite, step);
    std::memcpy(next + step, input, bytes);
    std::memset(next + step + bytes, kWhite, 4);
    if (swap && channels == 3) {
        swap_outer_channels(next + step, width);
    } else if (swap && channels == 4) {
        for (size_t x = 0; x < width; ++x) std::swap(next[step + 4 * x], next[step + 4 * x + 2]);
    }
}

void LineSharpener::compute(const SharpenPlan& plan, size_t width, int channels, uint8_t* out) const {
    const size_t step = static_cast<size_t>(channels);
    sharpen_row(plan, line(2) + step, line(1) + step, line(0) + step, width * step, step, out);
}

}  // namespace tz::lib
#endif  // HWY_ONCE
