// Records of the printer-information tags, built from literal answer bytes.
#include <gtest/gtest.h>

#include <vector>

#include "info/info_records.h"
#include "job/laminate_strings.h"

namespace {

using namespace tz::lib;
using Bytes = std::vector<uint8_t>;

Bytes bytes_of(const info::Record& record) { return Bytes(record.bytes.begin(), record.bytes.begin() + record.size); }

TEST(InfoRecords, MediaInformationTakesItsBytesAndPadsAShortPayload) {
    const Bytes payload = {0x01, 0xAA, 0xBB, 0x02, 0xA0, 0x09, 0x88, 0x0E, 0xBC, 0x02, 0xCC, 0xDD};
    EXPECT_EQ(bytes_of(info::media_information(payload.data(), payload.size())),
              (Bytes{0x01, 0, 0, 0x02, 0xA0, 0x09, 0x88, 0x0E, 0xBC, 0x02, 0, 0, 0}));
    EXPECT_EQ(bytes_of(info::media_information(payload.data(), 5)), (Bytes{0x01, 0, 0, 0x02, 0xA0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(InfoRecords, UsbIdentity) {
    Bytes record = bytes_of(info::usb_identity(0x0F3C5A17));
    ASSERT_EQ(record.size(), 54u);
    EXPECT_EQ(Bytes(record.begin(), record.begin() + 4), (Bytes{0x3C, 0x0F, 0x17, 0x5A}));
    EXPECT_EQ(std::string(record.begin() + 4, record.begin() + 50), "Morland Tarvo Company TARVO 5170 Photo Printer");
    EXPECT_EQ(Bytes(record.begin() + 50, record.end()), Bytes(4, 0));
}

TEST(InfoRecords, StatusExtracts) {
    Bytes frame(75);
    for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint8_t>(i);
    frame[7] = 0x11;
    Bytes status = bytes_of(info::status_extract(4, frame.data(), frame.size(), 5));
    EXPECT_EQ(status.front(), 10);
    EXPECT_EQ(status.back(), 37);
    EXPECT_EQ(bytes_of(info::status_extract(7, frame.data(), frame.size(), 5)), (Bytes{2, 3}));
    EXPECT_EQ(bytes_of(info::status_extract(16, frame.data(), frame.size(), 5)),
              (Bytes{38, 5, 39, 40, 41, 42, 43, 44, 45, 46, 5, 47, 48, 49, 50, 51, 52, 53}));
    EXPECT_EQ(bytes_of(info::status_extract(30, frame.data(), frame.size(), 5)), (Bytes{74}));
    EXPECT_EQ(bytes_of(info::status_extract(60, frame.data(), frame.size(), 5)), (Bytes{70, 71, 72, 73, 0, 0}));
    frame[7] = 0x63;  // no error state: no error code
    EXPECT_EQ(bytes_of(info::status_extract(7, frame.data(), frame.size(), 5)), (Bytes{0, 0}));
    // A frame that stops short: nothing is read beyond it.
    EXPECT_EQ(bytes_of(info::status_extract(60, frame.data(), 72, 5)), (Bytes{70, 71, 0, 0, 0, 0}));
    EXPECT_EQ(bytes_of(info::status_extract(30, frame.data(), 74, 5)), (Bytes{0}));
}

TEST(InfoRecords, LaminateSlotTakesAtMostTwentyTextBytes) {
    Bytes record = {0x34, 0x12, 0x78, 0x56, 9, 10, 25};
    for (uint8_t c = 'a'; c < 'a' + 25; ++c) record.push_back(c);
    LaminateStringSlot slot = parse_laminate_slot(6, record.data());
    EXPECT_EQ(slot.slot, 6);
    EXPECT_EQ(slot.value_a, 0x1234);
    EXPECT_EQ(slot.value_b, 0x5678);
    EXPECT_EQ(slot.value_c, 9);
    EXPECT_EQ(slot.value_d, 10);
    EXPECT_EQ(slot.text_length, 25);
    EXPECT_EQ(std::string(slot.text.begin(), slot.text.end()), "abcdefghijklmnopqrst");
}

}  // namespace
