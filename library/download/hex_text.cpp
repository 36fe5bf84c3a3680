// The hex conversion of data fields, compiled once for every instruction set
// and chosen at run time.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "download/hex_text.cpp"
#include "hwy/foreach_target.h"  // IWYU pragma: keep
#include "hwy/highway.h"

#include "hex_text.h"

HWY_BEFORE_NAMESPACE();
namespace tz::lib::HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// Each vector holds pairs of characters. Every character becomes its nibble
// (0 when it is no digit), each pair one byte in a 16-bit lane, and the lanes
// are added up and narrowed to bytes.
uint32_t DecodeHexBytes(const uint8_t* HWY_RESTRICT text, size_t count, uint8_t* HWY_RESTRICT out) {
#if HWY_TARGET == HWY_SCALAR
    return decode_hex_bytes_scalar(text, count, out);  // no pairs of lanes to work with
#else
    const hn::ScalableTag<uint8_t> d8;
    const hn::Repartition<uint16_t, decltype(d8)> d16;
    const hn::Repartition<int16_t, decltype(d8)> di16;
    const hn::Rebind<uint8_t, decltype(di16)> d8_half;
    const hn::Repartition<uint64_t, decltype(d8)> d64;
    const size_t pairs = hn::Lanes(d8) / 2;

    const auto zero_char = hn::Set(d8, '0');
    const auto lower_bit = hn::Set(d8, 0x20);
    const auto a_char = hn::Set(d8, 'a');
    const auto ten = hn::Set(d8, 10);
    const auto six = hn::Set(d8, 6);
    const auto low_byte = hn::Set(d16, 0xFF);
    auto sums = hn::Zero(d64);
    size_t i = 0;
    for (; i + pairs <= count; i += pairs) {
        const auto c = hn::LoadU(d8, text + 2 * i);
        const auto digit = hn::Sub(c, zero_char);
        const auto letter = hn::Sub(hn::Or(c, lower_bit), a_char);
        const auto nibbles = hn::Or(hn::IfThenElseZero(hn::Lt(digit, ten), digit),
                                    hn::IfThenElseZero(hn::Lt(letter, six), hn::Add(letter, ten)));
        const auto lanes = hn::BitCast(d16, nibbles);  // first character in the low byte
        const auto bytes = hn::Or(hn::ShiftLeft<4>(hn::And(lanes, low_byte)), hn::ShiftRight<8>(lanes));
        sums = hn::Add(sums, hn::SumsOf8(hn::BitCast(d8, bytes)));
        if (out != nullptr) hn::StoreU(hn::DemoteTo(d8_half, hn::BitCast(di16, bytes)), d8_half, out + i);
    }
    uint32_t sum = static_cast<uint32_t>(hn::GetLane(hn::SumOfLanes(d64, sums)));
    const uint32_t rest = decode_hex_bytes_scalar(text + 2 * i, count - i, out == nullptr ? nullptr : out + i);
    return sum + rest;
#endif
}

}  // namespace tz::lib::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace tz::lib {

HWY_EXPORT(DecodeHexBytes);

uint32_t decode_hex_bytes(const uint8_t* text, size_t count, uint8_t* out) {
    return HWY_DYNAMIC_DISPATCH(DecodeHexBytes)(text, count, out);
}

uint32_t decode_hex_bytes_scalar(const uint8_t* text, size_t count, uint8_t* out) {
    uint32_t sum = 0;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t b = hex_byte(text[2 * i], text[2 * i + 1]);
        if (out != nullptr) out[i] = b;
        sum += b;
    }
    return sum;
}

}  // namespace tz::lib
#endif  // HWY_ONCE
