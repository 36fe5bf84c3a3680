// The per-channel tables of the write path and the two byte shuffles it makes
// on pixels: applying a table set (with the channel swap of format 4) and
// exchanging bytes 0 and 2 of every pixel.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tz::lib {

inline constexpr size_t kChannelTableSize = 256;
using ChannelTable = std::array<uint8_t, kChannelTableSize>;

constexpr ChannelTable identity_table() {
    ChannelTable table{};
    for (size_t i = 0; i < kChannelTableSize; ++i) table[i] = static_cast<uint8_t>(i);
    return table;
}

// Three tables T0, T1, T2: table k gives output channel k.
struct TableSet {
    std::array<ChannelTable, 3> t{identity_table(), identity_table(), identity_table()};

    // True when every entry of all three equals its index.
    bool is_identity() const;
};

// The input tables (1-3) and the output tables (4-6), identity until the
// host installs others.
struct ConversionTables {
    TableSet input;
    TableSet output;
};

// Maps `pixels` pixels of `channels` bytes from `source` to `target`, which
// may be the same memory (but must not overlap otherwise). Three or four
// channels: output bytes (T0[b0], T1[b1], T2[b2]), or with `swap`
// (T0[b2], T1[b1], T2[b0]); a fourth byte is copied unchanged. Any other
// channel count copies the bytes unchanged.
void apply_tables(const TableSet& tables, const uint8_t* source, uint8_t* target, size_t pixels, int channels,
                  bool swap);

// Exchanges bytes 0 and 2 of each of `pixels` three-byte pixels, in place.
void swap_outer_channels(uint8_t* bytes, size_t pixels);
void swap_outer_channels_scalar(uint8_t* bytes, size_t pixels);

}  // namespace tz::lib
