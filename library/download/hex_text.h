// Hexadecimal text as the MOT loader reads it: 0-9, A-F and a-f are digits;
// any other character counts as 0 and is no error by itself.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tz::lib {

namespace hex_detail {
constexpr std::array<uint8_t, 256> make_nibbles() {
    std::array<uint8_t, 256> table{};
    for (int c = '0'; c <= '9'; ++c) table[c] = static_cast<uint8_t>(c - '0');
    for (int c = 'A'; c <= 'F'; ++c) table[c] = static_cast<uint8_t>(c - 'A' + 10);
    for (int c = 'a'; c <= 'f'; ++c) table[c] = static_cast<uint8_t>(c - 'a' + 10);
    return table;
}
inline constexpr std::array<uint8_t, 256> kNibbles = make_nibbles();
}  // namespace hex_detail

inline uint8_t hex_nibble(uint8_t c) { return hex_detail::kNibbles[c]; }

// The byte of two characters, first most significant.
inline uint8_t hex_byte(uint8_t high, uint8_t low) {
    return static_cast<uint8_t>(hex_detail::kNibbles[high] << 4 | hex_detail::kNibbles[low]);
}

// Converts `count` two-character fields at `text` into bytes at `out`
// (`out` may be null to only add them up) and returns their sum. Uses the
// widest vector instructions the processor has.
uint32_t decode_hex_bytes(const uint8_t* text, size_t count, uint8_t* out);

// The same one field at a time, for comparison.
uint32_t decode_hex_bytes_scalar(const uint8_t* text, size_t count, uint8_t* out);

}  // namespace tz::lib
