#include "frames.h"

#include <algorithm>

namespace tz::emulator {

std::vector<uint8_t> normal_frame(const FrameStatus& status, const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> frame(kFrameHeaderSize + payload.size(), 0);
    frame[0] = kFrameNormal;
    if (status.state == kStateError) {
        frame[2] = status.group;
        frame[3] = status.detail;
        frame[4] = status.detail2;
    }
    frame[7] = status.state;
    frame[8] = static_cast<uint8_t>(payload.size());
    frame[9] = static_cast<uint8_t>(payload.size() >> 8);
    std::copy(payload.begin(), payload.end(), frame.begin() + kFrameHeaderSize);
    return frame;
}

std::vector<uint8_t> normal_frame(uint8_t state, const std::vector<uint8_t>& payload) {
    return normal_frame(FrameStatus{state, 0, 0, 0}, payload);
}

std::vector<uint8_t> error_frame(uint8_t error, uint8_t group, uint8_t detail, uint8_t detail2) {
    std::vector<uint8_t> frame(kFrameHeaderSize, 0);
    frame[0] = kFrameError;
    frame[1] = error;
    frame[2] = group;
    frame[3] = detail;
    frame[4] = detail2;
    return frame;
}

}  // namespace tz::emulator
