// Hexadecimal text as the MOT loader reads it: 0-9, A-F and a-f are digits;
// any other character counts as 0 and is no error by itself.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tz::lib {

uint8_t hex_nibble(uint8_t c);

// The byte of two characters, first most significant.
uint8_t hex_byte(uint8_t high, uint8_t low);

// Converts `count` two-character fields at `text` into bytes at `out`
// (`out` may be null to only add them up) and returns their sum.
uint32_t decode_hex_bytes(const uint8_t* text, size_t count, uint8_t* out);

}  // namespace tz::lib
