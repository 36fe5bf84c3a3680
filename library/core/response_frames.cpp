#include "byteorder/little_endian.h"
#include "response_frames.h"

namespace tz::lib::frames {

bool valid(const uint8_t* frame, size_t size) {
    return frame != nullptr && size >= kHeaderSize && size == kHeaderSize + payload_length(frame);
}

uint16_t payload_length(const uint8_t* frame) { return read_le16(frame + 8); }

ResultCode decode_detail(uint8_t group, uint8_t detail, uint8_t second_detail) {
    switch (group) {
        case 1: return static_cast<ResultCode>(4000 + detail);
        case 2: return static_cast<ResultCode>(4100 + detail);
        case 3: return static_cast<ResultCode>(4200 + detail);
        case 4: return static_cast<ResultCode>(4300 + detail);
        case 5: return static_cast<ResultCode>(3000 + detail);
        case 6:
            if (second_detail != 0) return static_cast<ResultCode>(2400 + second_detail);
            if (detail == 1 || detail == 2) return TZP_COVER_OPEN;
            if (detail == 3 || detail == 5) return TZP_NO_RIBBON;
            if (detail >= 6 && detail <= 8) return TZP_NO_PAPER;
            return TZP_UNDEFINED_ERROR;
        default: return TZP_UNDEFINED_ERROR;
    }
}

Decoded decode_error(const uint8_t* frame) {
    uint8_t error = frame[1];
    if (error == 0x01) return {TZP_REJECTED, false};
    if (error >= 0x02 && error <= 0x05) return {TZP_USB_ERROR, false};
    if (error == 0x11) return {decode_detail(frame[2], frame[3], frame[4]), false};
    if (error == 0x21) return {TZP_BUSY, false};
    if (error >= 0x31 && error <= 0x37) return {static_cast<ResultCode>(2101 + (error - 0x31)), false};
    if (error >= 0x61 && error <= 0x6D) return {TZP_BUSY, false};
    return {TZP_UNDEFINED_ERROR, false};
}

Decoded decode_normal(const uint8_t* frame) {
    uint8_t state = frame[7];
    if (state == 0x00) return {TZP_OK, true};
    if (state == 0x11) return {decode_detail(frame[2], frame[3], frame[4]), false};
    if (state == 0x21) return {TZP_BUSY, false};
    if (state >= 0x31 && state <= 0x37) return {static_cast<ResultCode>(2101 + (state - 0x31)), false};
    if (state >= 0x61 && state <= 0x6D) return {static_cast<ResultCode>(2200 + (state - 0x61)), true};
    return {TZP_UNDEFINED_ERROR, false};
}

ResultCode decode_state_letter(uint8_t state) {
    if (state >= 0x61 && state <= 0x6D) return static_cast<ResultCode>(2200 + (state - 0x61));
    return TZP_NO_STATE_LETTER;
}

Decoded read_status(const uint8_t* frame, size_t size) {
    if (frame[0] == kError) return decode_error(frame);
    if (frame[0] != kNormal) return {TZP_OK, true};
    Decoded decoded = decode_normal(frame);
    if (!decoded.ok) return decoded;
    // Both job positions taken: the printer cannot start another job now.
    // A frame too short to hold them has none.
    bool both_jobs = size > kSecondJobState && frame[kFirstJobState] != 0 && frame[kSecondJobState] != 0;
    if (both_jobs) return {TZP_BUSY, false};
    return {TZP_OK, true};
}

Decoded read_state(const uint8_t* frame, size_t /*size*/) {
    if (frame[0] == kNormal) return {decode_state_letter(frame[7]), true};
    return {TZP_USB_ERROR, true};
}

Decoded read_acknowledge(const uint8_t* frame, size_t /*size*/) {
    if (frame[0] == kError) return decode_error(frame);
    return {TZP_OK, true};
}

}  // namespace tz::lib::frames
