// Answer frames and their status bytes, on literal bytes.
#include <gtest/gtest.h>

#include <vector>

#include "core/response_frames.h"

namespace {

namespace frames = tz::lib::frames;
using Bytes = std::vector<uint8_t>;

Bytes error_frame(uint8_t error, uint8_t group = 0, uint8_t detail = 0, uint8_t second = 0) {
    return {0x02, error, group, detail, second, 0, 0, 0, 0, 0};
}

Bytes normal_frame(uint8_t state, size_t payload = 0) {
    Bytes frame(10 + payload, 0);
    frame[0] = 0x01;
    frame[7] = state;
    frame[8] = static_cast<uint8_t>(payload);
    frame[9] = static_cast<uint8_t>(payload >> 8);
    return frame;
}

tz::lib::ResultCode status_of(const Bytes& frame) { return frames::read_status(frame.data(), frame.size()); }

TEST(ResponseFrames, LengthMustMatchTheAnnouncedPayload) {
    Bytes frame = normal_frame(0, 4);
    EXPECT_TRUE(frames::valid(frame.data(), 14));
    frame.resize(12);  // 12 bytes announcing 4
    EXPECT_FALSE(frames::valid(frame.data(), frame.size()));
    EXPECT_FALSE(frames::valid(frame.data(), 9));
    EXPECT_FALSE(frames::valid(nullptr, 10));
}

TEST(ResponseFrames, ErrorBytes) {
    struct Case {
        uint8_t error;
        uint16_t code;
    };
    for (Case c : {Case{0x01, 2601}, Case{0x02, 2600}, Case{0x05, 2600}, Case{0x21, 2100}, Case{0x31, 2101},
                   Case{0x37, 2107}, Case{0x61, 2100}, Case{0x6D, 2100}, Case{0x00, 2504}, Case{0x06, 2504},
                   Case{0x38, 2504}, Case{0x6E, 2504}, Case{0xFF, 2504}}) {
        EXPECT_EQ(status_of(error_frame(c.error)), c.code) << std::hex << int(c.error);
    }
}

TEST(ResponseFrames, DetailGroups) {
    EXPECT_EQ(status_of(error_frame(0x11, 6, 1, 0)), 2309);  // cover open
    EXPECT_EQ(status_of(error_frame(0x11, 6, 2, 0)), 2309);
    EXPECT_EQ(status_of(error_frame(0x11, 6, 3, 0)), 2306);  // no ink ribbon
    EXPECT_EQ(status_of(error_frame(0x11, 6, 5, 0)), 2306);
    EXPECT_EQ(status_of(error_frame(0x11, 6, 4, 0)), 2504);
    for (uint8_t d : {6, 7, 8}) EXPECT_EQ(status_of(error_frame(0x11, 6, d, 0)), 2305);  // no paper
    EXPECT_EQ(status_of(error_frame(0x11, 6, 9, 0)), 2504);
    EXPECT_EQ(status_of(error_frame(0x11, 6, 1, 3)), 2403);  // the second detail wins
    EXPECT_EQ(status_of(error_frame(0x11, 6, 0, 255)), 2655);
    EXPECT_EQ(status_of(error_frame(0x11, 1, 9)), 4009);
    EXPECT_EQ(status_of(error_frame(0x11, 2, 7)), 4107);
    EXPECT_EQ(status_of(error_frame(0x11, 3, 0)), 4200);
    EXPECT_EQ(status_of(error_frame(0x11, 4, 255)), 4555);
    EXPECT_EQ(status_of(error_frame(0x11, 5, 3)), 3003);
    EXPECT_EQ(status_of(error_frame(0x11, 0, 3)), 2504);
    EXPECT_EQ(status_of(error_frame(0x11, 7, 3)), 2504);
}

TEST(ResponseFrames, StateBytesInTheStatusReader) {
    struct Case {
        uint8_t state;
        uint16_t code;
    };
    for (Case c : {Case{0x00, 0}, Case{0x21, 2100}, Case{0x31, 2101}, Case{0x37, 2107}, Case{0x61, 0}, Case{0x63, 0},
                   Case{0x6D, 0}, Case{0x6E, 2504}, Case{0x01, 2504}})
        EXPECT_EQ(status_of(normal_frame(c.state, 65)), c.code) << std::hex << int(c.state);
    Bytes detailed = normal_frame(0x11, 65);
    detailed[2] = 6;
    detailed[3] = 7;
    EXPECT_EQ(status_of(detailed), 2305);
    // Neither normal nor error: taken as success.
    Bytes other = normal_frame(0x21);
    other[0] = 3;
    EXPECT_EQ(status_of(other), 0);
}

TEST(ResponseFrames, BothJobPositionsTakenIsBusy) {
    Bytes frame = normal_frame(0x00, 65);
    frame[45] = 1;
    EXPECT_EQ(status_of(frame), 0);
    frame[53] = 1;
    EXPECT_EQ(status_of(frame), 2100);
    frame[7] = 0x63;  // a state letter with both positions taken: still busy
    EXPECT_EQ(status_of(frame), 2100);
    // A short frame has no job positions to look at.
    Bytes short_frame = normal_frame(0x00, 30);
    EXPECT_EQ(status_of(short_frame), 0);
}

// The state as a value: letters, 2300 for any other state, 2600 for an error answer.
TEST(ResponseFrames, StateReaderGivesLettersOr2300) {
    Bytes frame = normal_frame(0x63);
    EXPECT_EQ(frames::read_state(frame.data(), frame.size()), 2202);
    frame[7] = 0x00;
    EXPECT_EQ(frames::read_state(frame.data(), frame.size()), 2300);
    Bytes error = error_frame(0x01);
    EXPECT_EQ(frames::read_state(error.data(), error.size()), 2600);
}

TEST(ResponseFrames, AcknowledgeReader) {
    Bytes ack = normal_frame(0x63);
    EXPECT_EQ(frames::read_acknowledge(ack.data(), ack.size()), 0);
    Bytes rejected = error_frame(0x01);
    EXPECT_EQ(frames::read_acknowledge(rejected.data(), rejected.size()), 2601);
}

}  // namespace
