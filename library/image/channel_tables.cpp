// The channel swap is compiled once for every instruction set and chosen at
// run time; the table lookups are byte gathers, which no instruction set
// here does faster than plain loads.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "image/channel_tables.cpp"
#include "hwy/foreach_target.h"  // IWYU pragma: keep
#include "hwy/highway.h"

#include "channel_tables.h"

HWY_BEFORE_NAMESPACE();
namespace tz::lib::HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// Three vectors of pixels at a time: split into channel planes, put back in
// the other order. Each group is loaded whole before it is stored, so this
// works in place.
void SwapOuterChannels(uint8_t* HWY_RESTRICT bytes, size_t pixels) {
#if HWY_TARGET == HWY_SCALAR
    swap_outer_channels_scalar(bytes, pixels);
#else
    const hn::ScalableTag<uint8_t> d8;
    const size_t lanes = hn::Lanes(d8);
    size_t i = 0;
    for (; i + lanes <= pixels; i += lanes) {
        hn::Vec<decltype(d8)> c0, c1, c2;
        hn::LoadInterleaved3(d8, bytes + 3 * i, c0, c1, c2);
        hn::StoreInterleaved3(c2, c1, c0, d8, bytes + 3 * i);
    }
    swap_outer_channels_scalar(bytes + 3 * i, pixels - i);
#endif
}

}  // namespace tz::lib::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
#include <cstring>

namespace tz::lib {

bool TableSet::is_identity() const {
    static constexpr ChannelTable kIdentity = identity_table();
    for (const ChannelTable& table : t) {
        if (table != kIdentity) return false;
    }
    return true;
}

namespace {

// Four pixels per round keep several independent lookups in flight.
template <int kChannels, bool kSwap>
void map_pixels(const TableSet& tables, const uint8_t* source, uint8_t* target, size_t pixels) {
    const uint8_t* t0 = tables.t[0].data();
    const uint8_t* t1 = tables.t[1].data();
    const uint8_t* t2 = tables.t[2].data();
    constexpr int first = kSwap ? 2 : 0;
    constexpr int third = kSwap ? 0 : 2;
    auto one = [&](const uint8_t* s, uint8_t* d) {
        const uint8_t b0 = s[first], b1 = s[1], b2 = s[third];
        uint8_t b3 = 0;
        if constexpr (kChannels == 4) b3 = s[3];
        d[0] = t0[b0];
        d[1] = t1[b1];
        d[2] = t2[b2];
        if constexpr (kChannels == 4) d[3] = b3;
    };
    size_t i = 0;
    for (; i + 4 <= pixels; i += 4) {
        const uint8_t* s = source + i * kChannels;
        uint8_t* d = target + i * kChannels;
        uint8_t v[4 * kChannels];
        std::memcpy(v, s, sizeof v);  // read the group before writing it (in place)
        for (int p = 0; p < 4; ++p) one(v + p * kChannels, d + p * kChannels);
    }
    for (; i < pixels; ++i) one(source + i * kChannels, target + i * kChannels);
}

}  // namespace

void apply_tables(const TableSet& tables, const uint8_t* source, uint8_t* target, size_t pixels, int channels,
                  bool swap) {
    if (channels == 3) {
        swap ? map_pixels<3, true>(tables, source, target, pixels) : map_pixels<3, false>(tables, source, target, pixels);
    } else if (channels == 4) {
        swap ? map_pixels<4, true>(tables, source, target, pixels) : map_pixels<4, false>(tables, source, target, pixels);
    } else if (source != target && channels > 0) {
        std::memcpy(target, source, pixels * static_cast<size_t>(channels));
    }
}

HWY_EXPORT(SwapOuterChannels);

void swap_outer_channels(uint8_t* bytes, size_t pixels) { HWY_DYNAMIC_DISPATCH(SwapOuterChannels)(bytes, pixels); }

void swap_outer_channels_scalar(uint8_t* bytes, size_t pixels) {
    for (size_t i = 0; i < pixels; ++i) {
        uint8_t* p = bytes + 3 * i;
        const uint8_t b0 = p[0];
        p[0] = p[2];
        p[2] = b0;
    }
}

}  // namespace tz::lib
#endif  // HWY_ONCE
