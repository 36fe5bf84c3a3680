#include "response_receiver.h"

#include <cstring>

#include "byteorder/little_endian.h"
#include "response_frames.h"

namespace tz::lib {

ResultCode ResponseReceiver::receive() {
    size_ = 0;
    uint32_t count = 0;
    if (ResultCode code = transport_.timed_read(frame_.data(), frame_.size(), count); code != TZP_OK) return code;
    if (!frames::valid(frame_.data(), count)) return TZP_USB_ERROR;
    size_ = count;
    return TZP_OK;
}

ResultCode ResponseReceiver::receive_answer() {
    if (ResultCode code = receive(); code != TZP_OK) return code;
    if (frame_[0] == frames::kError) return frames::decode_error(frame_.data());
    return TZP_OK;
}

ResultCode ResponseReceiver::read_status() {
    if (ResultCode code = receive(); code != TZP_OK) return code;
    return frames::read_status(frame_.data(), size_);
}

ResultCode ResponseReceiver::read_state(ResultCode& state) {
    if (ResultCode code = receive(); code != TZP_OK) return code;
    state = frames::read_state(frame_.data(), size_);
    return TZP_OK;
}

ResultCode ResponseReceiver::read_acknowledge() {
    if (ResultCode code = receive(); code != TZP_OK) return code;
    return frames::read_acknowledge(frame_.data(), size_);
}

ResultCode ResponseReceiver::read_size(uint16_t& size) {
    size = 0;
    if (ResultCode code = receive_answer(); code != TZP_OK) return code;
    if (frames::payload_length(frame_.data()) < 2) return TZP_USB_ERROR;  // no size in it
    size = read_le16(frame_.data() + frames::kHeaderSize);
    return TZP_OK;
}

ResultCode ResponseReceiver::read_frame(uint8_t* buffer, size_t capacity, uint32_t& count) {
    count = 0;
    if (ResultCode code = receive_answer(); code != TZP_OK) return code;
    if (buffer == nullptr || capacity < size_) return TZP_USB_ERROR;
    std::memcpy(buffer, frame_.data(), size_);
    count = size_;
    return TZP_OK;
}

ResultCode ResponseReceiver::read_payload(uint8_t* buffer, size_t capacity, uint32_t& count) {
    count = 0;
    if (ResultCode code = receive_answer(); code != TZP_OK) return code;
    const uint32_t length = frames::payload_length(frame_.data());
    if (length > 0 && (buffer == nullptr || capacity < length)) return TZP_USB_ERROR;
    if (length > 0) std::memcpy(buffer, frame_.data() + frames::kHeaderSize, length);
    count = length;
    return TZP_OK;
}

ResultCode ResponseReceiver::read_payload_with_length(uint8_t* buffer, size_t capacity, uint8_t& length) {
    uint32_t count = 0;
    length = 0;
    if (ResultCode code = read_payload(buffer, capacity, count); code != TZP_OK) return code;
    length = static_cast<uint8_t>(count);
    return TZP_OK;
}

}  // namespace tz::lib
