// The lines of the traffic dump, on literal bytes.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/traffic_log.h"

namespace {

using tz::lib::Traffic;
using tz::lib::traffic_line;

TEST(TrafficLog, CommandsAnswersAndDataHaveTheirLines) {
    const std::vector<uint8_t> status{0x01, 0x00, 0x00, 0x00};
    EXPECT_EQ(traffic_line("TZ000101", Traffic::Command, status.data(), status.size(), nullptr, 1),
              "TZ000101 > Get Status Command 01 00 00 00");
    const std::vector<uint8_t> serial_write{0x09, 0xC0, 0x08, 0x00};
    EXPECT_EQ(traffic_line("TZ000101", Traffic::Command, serial_write.data(), 4, nullptr, 1),
              "TZ000101 > Get Serial No. Command 09 c0 08 00");
    const std::vector<uint8_t> odd{0x7E, 0x7E};
    EXPECT_EQ(traffic_line("TZ000101", Traffic::Command, odd.data(), 2, nullptr, 1),
              "TZ000101 > unknown command 7e 7e");
    const std::vector<uint8_t> answer{0x01, 0x00, 0xFF};
    EXPECT_EQ(traffic_line("TZ000101", Traffic::Answer, answer.data(), 3, "Get Status Command", 1),
              "TZ000101 < answer to Get Status Command (3 bytes) 01 00 ff");
    // Bulk data: a count and the CRC-32 of the bytes ("123456789" is cbf43926), hex at level 2.
    const std::string digits = "123456789";
    const auto* bytes = reinterpret_cast<const uint8_t*>(digits.data());
    EXPECT_EQ(traffic_line("TZ000101", Traffic::Data, bytes, 9, nullptr, 1), "TZ000101 > data 9 bytes crc32 cbf43926");
    EXPECT_EQ(traffic_line("TZ000101", Traffic::Data, bytes, 2, nullptr, 2),
              "TZ000101 > data 2 bytes crc32 4f5344cd 31 32");
    EXPECT_EQ(tz::lib::traffic_failure_line("TZ000101", Traffic::Answer, nullptr, "timed out"),
              "TZ000101 < answer to an unknown command: timed out");
}

}  // namespace
