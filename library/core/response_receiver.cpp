#include "response_receiver.h"

#include <cstring>

#include "byteorder/little_endian.h"
#include "response_frames.h"

namespace tz::lib {

bool ResponseReceiver::receive(ResultCode& code) {
    size_ = 0;
    uint32_t count = 0;
    if (!transport_.timed_read(frame_.data(), frame_.size(), count, code)) return false;
    if (!frames::valid(frame_.data(), count)) {
        code = TZP_USB_ERROR;
        return false;
    }
    size_ = count;
    return true;
}

bool ResponseReceiver::receive_answer(ResultCode& code) {
    if (!receive(code)) return false;
    if (frame_[0] == frames::kError) {
        code = frames::decode_error(frame_.data()).code;
        return false;
    }
    return true;
}

bool ResponseReceiver::read_status(ResultCode& code) {
    if (!receive(code)) return false;
    frames::Decoded decoded = frames::read_status(frame_.data(), size_);
    code = decoded.code;
    return decoded.ok;
}

bool ResponseReceiver::read_state(ResultCode& code) {
    if (!receive(code)) return false;
    frames::Decoded decoded = frames::read_state(frame_.data(), size_);
    code = decoded.code;
    return decoded.ok;
}

bool ResponseReceiver::read_acknowledge(ResultCode& code) {
    if (!receive(code)) return false;
    frames::Decoded decoded = frames::read_acknowledge(frame_.data(), size_);
    code = decoded.code;
    return decoded.ok;
}

bool ResponseReceiver::read_size(uint16_t& size, ResultCode& code) {
    size = 0;
    if (!receive_answer(code)) return false;
    if (frames::payload_length(frame_.data()) < 2) {  // no size in it
        code = TZP_USB_ERROR;
        return false;
    }
    size = read_le16(frame_.data() + frames::kHeaderSize);
    code = TZP_OK;
    return true;
}

bool ResponseReceiver::read_frame(uint8_t* buffer, size_t capacity, uint32_t& count, ResultCode& code) {
    count = 0;
    if (!receive_answer(code)) return false;
    if (buffer == nullptr || capacity < size_) {
        code = TZP_USB_ERROR;
        return false;
    }
    std::memcpy(buffer, frame_.data(), size_);
    count = size_;
    code = TZP_OK;
    return true;
}

bool ResponseReceiver::read_payload(uint8_t* buffer, size_t capacity, uint32_t& count, ResultCode& code) {
    count = 0;
    if (!receive_answer(code)) return false;
    uint32_t length = frames::payload_length(frame_.data());
    if (length > 0 && (buffer == nullptr || capacity < length)) {
        code = TZP_USB_ERROR;
        return false;
    }
    if (length > 0) std::memcpy(buffer, frame_.data() + frames::kHeaderSize, length);
    count = length;
    code = TZP_OK;
    return true;
}

bool ResponseReceiver::read_payload_with_length(uint8_t* buffer, size_t capacity, uint8_t& length,
                                                ResultCode& code) {
    uint32_t count = 0;
    length = 0;
    if (!read_payload(buffer, capacity, count, code)) return false;
    length = static_cast<uint8_t>(count);
    return true;
}

}  // namespace tz::lib
