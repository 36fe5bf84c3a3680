#include "byteorder/little_endian.h"
#include "response_frames.h"

namespace tz::lib::frames {

bool valid(const uint8_t* frame, size_t size) {
    return frame != nullptr && size >= kHeaderSize && size == kHeaderSize + payload_length(frame);
}

uint16_t payload_length(const uint8_t* frame) { return read_le16(frame + 8); }

ResultCode decode_detail(uint8_t group, uint8_t detail, uint8_t second_detail) {
    switch (group) {
        case 1: return static_cast<ResultCode>(TZP_GROUP1_ERROR + detail);
        case 2: return static_cast<ResultCode>(TZP_GROUP2_ERROR + detail);
        case 3: return static_cast<ResultCode>(TZP_GROUP3_ERROR + detail);
        case 4: return static_cast<ResultCode>(TZP_GROUP4_ERROR + detail);
        case 5: return static_cast<ResultCode>(TZP_GROUP5_ERROR + detail);
        case 6:
            if (second_detail != 0) return static_cast<ResultCode>(TZP_GROUP6_ERROR + second_detail);
            if (detail == 1 || detail == 2) return TZP_COVER_OPEN;
            if (detail == 3 || detail == 5) return TZP_NO_RIBBON;
            if (detail >= 6 && detail <= 8) return TZP_NO_PAPER;
            return TZP_UNDEFINED_ERROR;
        default: return TZP_UNDEFINED_ERROR;
    }
}

namespace {

constexpr uint8_t kStateError = 0x11;
constexpr uint8_t kStateBusy = 0x21;
constexpr uint8_t kFirstBusyDigit = 0x31;  // '1': the main board initialising
constexpr uint8_t kLastBusyDigit = 0x37;   // '7': a download running
constexpr uint8_t kFirstLetter = 0x61;     // 'a'
constexpr uint8_t kLastLetter = 0x6D;      // 'm'

// '1' .. '7' as TZP_MAIN_INITIALISING .. TZP_DOWNLOADING.
ResultCode busy_digit(uint8_t byte) { return static_cast<ResultCode>(TZP_MAIN_INITIALISING + (byte - kFirstBusyDigit)); }

}  // namespace

ResultCode decode_error(const uint8_t* frame) {
    const uint8_t error = frame[1];
    if (error == 0x01) return TZP_REJECTED;
    if (error >= 0x02 && error <= 0x05) return TZP_USB_ERROR;
    if (error == kStateError) return decode_detail(frame[2], frame[3], frame[4]);
    if (error == kStateBusy) return TZP_BUSY;
    if (error >= kFirstBusyDigit && error <= kLastBusyDigit) return busy_digit(error);
    if (error >= kFirstLetter && error <= kLastLetter) return TZP_BUSY;
    return TZP_UNDEFINED_ERROR;
}

ResultCode decode_normal(const uint8_t* frame) {
    const uint8_t state = frame[7];
    if (state == 0x00) return TZP_OK;
    if (state == kStateError) return decode_detail(frame[2], frame[3], frame[4]);
    if (state == kStateBusy) return TZP_BUSY;
    if (state >= kFirstBusyDigit && state <= kLastBusyDigit) return busy_digit(state);
    if (state >= kFirstLetter && state <= kLastLetter) return decode_state_letter(state);
    return TZP_UNDEFINED_ERROR;
}

ResultCode decode_state_letter(uint8_t state) {
    if (state >= kFirstLetter && state <= kLastLetter) return static_cast<ResultCode>(TZP_STATE_LETTER_A + (state - kFirstLetter));
    return TZP_NO_STATE_LETTER;
}

ResultCode read_status(const uint8_t* frame, size_t size) {
    if (frame[0] == kError) return decode_error(frame);
    if (frame[0] != kNormal) return TZP_OK;
    const ResultCode state = decode_normal(frame);
    if (state != TZP_OK && !is_state_letter(state)) return state;
    // Both job positions taken: the printer cannot start another job now.
    // A frame too short to hold them has none.
    const bool both_jobs = size > kSecondJobState && frame[kFirstJobState] != 0 && frame[kSecondJobState] != 0;
    return both_jobs ? ResultCode{TZP_BUSY} : ResultCode{TZP_OK};
}

ResultCode read_state(const uint8_t* frame, size_t /*size*/) {
    if (frame[0] == kNormal) return decode_state_letter(frame[7]);
    return TZP_USB_ERROR;
}

ResultCode read_acknowledge(const uint8_t* frame, size_t /*size*/) {
    if (frame[0] == kError) return decode_error(frame);
    return TZP_OK;
}

}  // namespace tz::lib::frames
