// The printer's answer frames: a 10-byte header and a payload.
//   0 kind (1 normal, 2 error)   1 error byte   2 error group   3 detail
//   4 second detail   5..6 unused   7 state byte   8..9 payload length (LE)
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tz::emulator {

inline constexpr uint8_t kFrameNormal = 1;
inline constexpr uint8_t kFrameError = 2;
inline constexpr size_t kFrameHeaderSize = 10;

// A normal answer with the given state byte and payload.
std::vector<uint8_t> normal_frame(uint8_t state, const std::vector<uint8_t>& payload);
// An error answer; group and details matter when the error byte is 0x11.
std::vector<uint8_t> error_frame(uint8_t error, uint8_t group = 0, uint8_t detail = 0, uint8_t detail2 = 0);

// Error bytes the printer uses.
inline constexpr uint8_t kErrorBadParameter = 0x01;
inline constexpr uint8_t kErrorUnknownCommand = 0x02;

}  // namespace tz::emulator
