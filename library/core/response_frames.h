// The printer's answer frames and what their status bytes mean. Pure: bytes
// in, codes out.
//   0 kind (1 normal, 2 error)   1 error byte   2 error group   3 detail
//   4 second detail   5..6 unused   7 state byte   8..9 payload length n (LE)
//   10.. payload; a frame is valid only when it is exactly n + 10 bytes long.
#pragma once

#include <cstddef>
#include <cstdint>

#include "result_codes.h"

namespace tz::lib::frames {

inline constexpr size_t kHeaderSize = 10;
inline constexpr uint8_t kNormal = 1;
inline constexpr uint8_t kError = 2;
// Frame bytes holding the job state of the two job positions in a status answer.
inline constexpr size_t kFirstJobState = 45;
inline constexpr size_t kSecondJobState = 53;

struct Decoded {
    ResultCode code;
    bool ok;
};

// True when `size` bytes form one whole frame.
bool valid(const uint8_t* frame, size_t size);
uint16_t payload_length(const uint8_t* frame);

// The error byte of an error answer.
Decoded decode_error(const uint8_t* frame);
// The state byte of a normal answer, as the status inquiry reads it.
Decoded decode_normal(const uint8_t* frame);
// The state byte as a state letter (2200..2212) or 2300.
ResultCode decode_state_letter(uint8_t state);
// Error group, detail and second detail of an error or state 0x11.
ResultCode decode_detail(uint8_t group, uint8_t detail, uint8_t second_detail);

// What each reader makes of a valid frame.
Decoded read_status(const uint8_t* frame, size_t size);
Decoded read_state(const uint8_t* frame, size_t size);
Decoded read_acknowledge(const uint8_t* frame, size_t size);

}  // namespace tz::lib::frames
