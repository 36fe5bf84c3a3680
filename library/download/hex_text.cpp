#include "hex_text.h"

#include <array>

namespace tz::lib {
namespace {

constexpr std::array<uint8_t, 256> make_nibbles() {
    std::array<uint8_t, 256> table{};
    for (int c = '0'; c <= '9'; ++c) table[c] = static_cast<uint8_t>(c - '0');
    for (int c = 'A'; c <= 'F'; ++c) table[c] = static_cast<uint8_t>(c - 'A' + 10);
    for (int c = 'a'; c <= 'f'; ++c) table[c] = static_cast<uint8_t>(c - 'a' + 10);
    return table;
}
constexpr std::array<uint8_t, 256> kNibbles = make_nibbles();

// The byte of every pair of characters, indexed by first << 8 | second.
struct PairTable {
    std::array<uint8_t, 65536> bytes;
    PairTable() {
        for (unsigned high = 0; high < 256; ++high)
            for (unsigned low = 0; low < 256; ++low)
                bytes[high << 8 | low] = static_cast<uint8_t>(kNibbles[high] << 4 | kNibbles[low]);
    }
};
const PairTable& pair_table() {
    static const PairTable table;
    return table;
}

}  // namespace

uint8_t hex_nibble(uint8_t c) { return kNibbles[c]; }

uint8_t hex_byte(uint8_t high, uint8_t low) { return static_cast<uint8_t>(kNibbles[high] << 4 | kNibbles[low]); }

uint32_t decode_hex_bytes(const uint8_t* text, size_t count, uint8_t* out) {
    const uint8_t* pairs = pair_table().bytes.data();
    uint32_t sum = 0;
    if (out == nullptr) {
        for (size_t i = 0; i < count; ++i) sum += pairs[text[2 * i] << 8 | text[2 * i + 1]];
        return sum;
    }
    for (size_t i = 0; i < count; ++i) {
        const uint8_t b = pairs[text[2 * i] << 8 | text[2 * i + 1]];
        out[i] = b;
        sum += b;
    }
    return sum;
}

}  // namespace tz::lib
