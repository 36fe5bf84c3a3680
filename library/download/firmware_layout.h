// Where a firmware file keeps what the printer checks: every part carries one
// header block with the model identifier at block offset 10.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tz::lib {

inline constexpr char kFirmwareIdentifier[] = "TZP-K2207-5";
inline constexpr size_t kFirmwareIdentifierSize = 11;

// USB controller firmware: exactly this size, first byte 0xC2, its header
// block the last 64 bytes, sent first.
inline constexpr uint32_t kUsbFirmwareSize = 0xC000;
inline constexpr uint32_t kUsbHeaderBlockSize = 64;
inline constexpr uint8_t kUsbFirstByte = 0xC2;
inline constexpr size_t kUsbIdentifierOffset = 49098;
inline constexpr uint16_t kUsbLoadAddress = 0x4000;

inline constexpr uint32_t kDspMinimumSize = 61339;
inline constexpr size_t kDspIdentifierOffset = 61328;

// MAIN and TABLE: more than 20 bytes, header block at the start.
inline constexpr uint32_t kSmallPartMinimumSize = 21;
inline constexpr size_t kStartIdentifierOffset = 10;

// The largest firmware file the library reads into memory.
inline constexpr uint64_t kFirmwareFileLimit = 256u << 20;

}  // namespace tz::lib
