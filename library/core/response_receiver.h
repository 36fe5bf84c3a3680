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

    // Each returns true or false and always stores a code.
    bool read_status(ResultCode& code);
    bool read_state(ResultCode& code);
    // The first two payload bytes: the size of the data that follows.
    bool read_size(uint16_t& size, ResultCode& code);
    bool read_acknowledge(ResultCode& code);
    // The whole frame, header included.
    bool read_frame(uint8_t* buffer, size_t capacity, uint32_t& count, ResultCode& code);
    // The payload only.
    bool read_payload(uint8_t* buffer, size_t capacity, uint32_t& count, ResultCode& code);
    // The payload and the low 8 bits of its length.
    bool read_payload_with_length(uint8_t* buffer, size_t capacity, uint8_t& length, ResultCode& code);

private:
    // One frame into frame_; false with 2600 when the read fails or the
    // frame's length is wrong.
    bool receive(ResultCode& code);
    // receive(), and an error answer decoded into its code and a failure.
    bool receive_answer(ResultCode& code);

    Transport& transport_;
    std::array<uint8_t, kTimedReadSize> frame_{};
    uint32_t size_ = 0;
};

}  // namespace tz::lib
