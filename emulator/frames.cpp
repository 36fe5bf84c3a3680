#include "frames.h"

#include <algorithm>

namespace tz::emulator {

std::vector<uint8_t> normal_frame(uint8_t state, const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> frame(kFrameHeaderSize + payload.size(), 0);
    frame[0] = kFrameNormal;
    frame[7] = state;
    frame[8] = static_cast<uint8_t>(payload.size());
    frame[9] = static_cast<uint8_t>(payload.size() >> 8);
    std::copy(payload.begin(), payload.end(), frame.begin() + kFrameHeaderSize);
    return frame;
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
