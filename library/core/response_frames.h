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

// True when `size` bytes form one whole frame.
bool valid(const uint8_t* frame, size_t size);
uint16_t payload_length(const uint8_t* frame);

// The error byte of an error answer: always a failure.
ResultCode decode_error(const uint8_t* frame);
// The state byte of a normal answer: TZP_OK, a state letter (not an error),
// or the printer's state as a failure.
ResultCode decode_normal(const uint8_t* frame);
// The state byte as a state letter (TZP_STATE_LETTER_A ..) or TZP_NO_STATE_LETTER.
ResultCode decode_state_letter(uint8_t state);
// Error group, detail and second detail of an error or state 0x11.
ResultCode decode_detail(uint8_t group, uint8_t detail, uint8_t second_detail);

// What each reader makes of a valid frame.
// The status inquiry: TZP_OK when the printer can take a job (a state letter
// included), else its state or error.
ResultCode read_status(const uint8_t* frame, size_t size);
// The printer's state as a value, not an error: a state letter, or
// TZP_NO_STATE_LETTER; TZP_USB_ERROR for an error answer.
ResultCode read_state(const uint8_t* frame, size_t size);
// TZP_OK, or the error of an error answer.
ResultCode read_acknowledge(const uint8_t* frame, size_t size);

}  // namespace tz::lib::frames
