// Reads the printer's answer frames and turns them into result codes. Every
// reader first takes one frame with the timed read and checks its length.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "result_codes.h"
#include "transport.h"

namespace tz::lib {

class ResponseReceiver {
public:
    explicit ResponseReceiver(Transport& transport) : transport_(transport) {}

    // The answer to a status inquiry: TZP_OK when the printer can take a job,
    // else its state, its error or TZP_USB_ERROR.
    ResultCode read_status();
    // The printer's state as a value (a state letter or TZP_NO_STATE_LETTER,
    // TZP_USB_ERROR for an error answer) through `state`; TZP_OK when an
    // answer came, TZP_USB_ERROR when none did.
    ResultCode read_state(ResultCode& state);
    // The first two payload bytes: the size of the data that follows.
    ResultCode read_size(uint16_t& size);
    ResultCode read_acknowledge();
    // The whole frame, header included.
    ResultCode read_frame(uint8_t* buffer, size_t capacity, uint32_t& count);
    // The payload only.
    ResultCode read_payload(uint8_t* buffer, size_t capacity, uint32_t& count);
    // The payload and the low 8 bits of its length.
    ResultCode read_payload_with_length(uint8_t* buffer, size_t capacity, uint8_t& length);

private:
    // One frame into frame_; TZP_USB_ERROR when the read fails or the frame's
    // length is wrong.
    ResultCode receive();
    // receive(), and an error answer's error.
    ResultCode receive_answer();

    Transport& transport_;
    std::array<uint8_t, kTimedReadSize> frame_{};
    uint32_t size_ = 0;
};

}  // namespace tz::lib
