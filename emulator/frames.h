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

// What a normal answer says about the printer: its state byte and, for the
// error state 0x11, the error group and details.
struct FrameStatus {
    uint8_t state = 0;
    uint8_t group = 0;
    uint8_t detail = 0;
    uint8_t detail2 = 0;
};

// A normal answer with the given state byte and payload.
std::vector<uint8_t> normal_frame(uint8_t state, const std::vector<uint8_t>& payload);
std::vector<uint8_t> normal_frame(const FrameStatus& status, const std::vector<uint8_t>& payload);
// An error answer; group and details matter when the error byte is 0x11.
std::vector<uint8_t> error_frame(uint8_t error, uint8_t group = 0, uint8_t detail = 0, uint8_t detail2 = 0);

// Error bytes of error answers.
inline constexpr uint8_t kErrorBadParameter = 0x01;   // the command's arguments are refused
inline constexpr uint8_t kErrorUnknownCommand = 0x02; // no such command
// State bytes; error answers use the same values to say why a command cannot run now.
inline constexpr uint8_t kStateReady = 0x00;
inline constexpr uint8_t kStateError = 0x11;         // group and details in bytes 2..4
inline constexpr uint8_t kStateBusy = 0x21;          // '!': both job positions taken
inline constexpr uint8_t kStateInitialising = 0x31;  // '1'
inline constexpr uint8_t kStateDiagnosis = 0x36;     // '6'
inline constexpr uint8_t kStateDownload = 0x37;      // '7': firmware being rewritten

}  // namespace tz::emulator
