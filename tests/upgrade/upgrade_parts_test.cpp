// The upgrade program's pure parts: version readers, threshold texts, the
// rewrite classifiers and the result texts.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "firmware_versions.h"
#include "messages.h"
#include "part_download.h"
#include "rewrite_wait.h"
#include "upgrade_config.h"

namespace {

using tz::upgrade::Classifier;
using tz::upgrade::FirmwareFile;
using tz::upgrade::parse_file_version;
using tz::upgrade::StatusClass;

std::vector<uint8_t> bytes_with(size_t size, size_t offset, const char* text) {
    std::vector<uint8_t> bytes(size, 0xEE);
    std::memcpy(bytes.data() + offset, text, std::strlen(text));
    return bytes;
}

TEST(UpgradeParts, VersionReadersTakeEachPartsPlaceAndRule) {
    auto main = parse_file_version(FirmwareFile::Main, bytes_with(64, 26, "0A1f"));
    EXPECT_EQ(main.error, 0);
    EXPECT_EQ(main.version.major, 0x0A);
    EXPECT_EQ(main.version.minor, 0x1F);
    // The first character that is no hex digit names the error.
    EXPECT_EQ(parse_file_version(FirmwareFile::Main, bytes_with(64, 26, "0G1G")).error, 2);
    EXPECT_EQ(parse_file_version(FirmwareFile::Main, bytes_with(64, 26, "061 ")).error, 4);
    EXPECT_EQ(parse_file_version(FirmwareFile::Dsp, bytes_with(61348, 61344, "x602")).error, 1);
    auto dsp = parse_file_version(FirmwareFile::Dsp, bytes_with(61348, 61344, "0205"));
    EXPECT_EQ(dsp.version.value(), 0x0205);

    // TABLE: major = byte 27 * 16 + byte 26, minor = byte 29 * 16 + byte 28, unchecked.
    auto table = parse_file_version(FirmwareFile::Table, bytes_with(30, 26, "\x01\x02\x03\x04"));
    EXPECT_EQ(table.error, 0);
    EXPECT_EQ(table.version.major, 0x21);
    EXPECT_EQ(table.version.minor, 0x43);

    std::vector<uint8_t> usb(49116, 0);
    usb[49114] = 0x01;
    usb[49115] = 0x09;
    EXPECT_EQ(parse_file_version(FirmwareFile::Usb, usb).version.value(), 0x0109);

    // Too short to hold the version: 5, nothing read beyond the end.
    EXPECT_EQ(parse_file_version(FirmwareFile::Main, bytes_with(29, 26, "061")).error, 5);
    EXPECT_EQ(parse_file_version(FirmwareFile::Table, std::vector<uint8_t>(29)).error, 5);
    EXPECT_EQ(parse_file_version(FirmwareFile::Dsp, std::vector<uint8_t>(61347, '0')).error, 5);
    EXPECT_EQ(parse_file_version(FirmwareFile::Usb, std::vector<uint8_t>(49115)).error, 5);
    EXPECT_EQ(tz::upgrade::read_file_version(FirmwareFile::Main, "/nonexistent/main.bin").error, 5);
}

TEST(UpgradeParts, ThresholdTextsNeedTwoHexDigits) {
    EXPECT_EQ(tz::upgrade::threshold_value("06"), 6);
    EXPECT_EQ(tz::upgrade::threshold_value("1A"), 26);
    EXPECT_EQ(tz::upgrade::threshold_value("1a9"), 26);
    EXPECT_EQ(tz::upgrade::threshold_value("6"), 0);
    EXPECT_EQ(tz::upgrade::threshold_value("0x"), 0);
    EXPECT_EQ(tz::upgrade::threshold_value(""), 0);
}

TEST(UpgradeParts, ClassifiersOfTheRewriteWait) {
    using tz::upgrade::classify_status;
    EXPECT_EQ(classify_status(2102, Classifier::A), StatusClass::Finished);
    EXPECT_EQ(classify_status(2102, Classifier::B), StatusClass::Waiting);
    EXPECT_EQ(classify_status(8100, Classifier::A), StatusClass::Finished);
    EXPECT_EQ(classify_status(8100, Classifier::B), StatusClass::Waiting);
    EXPECT_EQ(classify_status(8599, Classifier::A), StatusClass::Finished);
    EXPECT_EQ(classify_status(8300, Classifier::A), StatusClass::Waiting);
    EXPECT_EQ(classify_status(4250, Classifier::B), StatusClass::Finished);
    EXPECT_EQ(classify_status(2107, Classifier::A), StatusClass::Waiting);
    EXPECT_EQ(classify_status(2101, Classifier::A), StatusClass::Waiting);
    for (int code : {2000, 2504, 2600}) {
        EXPECT_EQ(classify_status(code, Classifier::A), StatusClass::Failed) << code;
        EXPECT_EQ(classify_status(code, Classifier::B), StatusClass::Failed) << code;
    }
    EXPECT_EQ(classify_status(2601, Classifier::A), StatusClass::Waiting);
}

// A USB file whose length is no multiple of 4,096: the last call asks for
// what remains and nothing beyond it.
TEST(UpgradeParts, PiecesNeverAskForMoreThanRemains) {
    std::vector<uint32_t> asked;
    testing::internal::CaptureStdout();
    bool sent = tz::upgrade::stream_pieces(12388, 4096, [&](uint32_t& count, uint16_t&) {
        asked.push_back(count);
        return true;
    });
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Sent         4096 byte(s) \rSent         8192 byte(s) \rSent        12288 byte(s) \r"
              "Sent        12388 byte(s) \r");
    EXPECT_TRUE(sent);
    EXPECT_EQ(asked, (std::vector<uint32_t>{4096, 4096, 4096, 100}));

    // A call that fails shows its code; one that sends nothing counts as a lost link.
    testing::internal::CaptureStdout();
    EXPECT_FALSE(tz::upgrade::stream_pieces(100, 100, [](uint32_t& count, uint16_t& code) {
        count = 0;
        code = 2604;
        return false;
    }));
    EXPECT_FALSE(tz::upgrade::stream_pieces(100, 100, [](uint32_t& count, uint16_t&) {
        count = 0;
        return true;
    }));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Error: Unknown error(2604)\nError: USB communication error(2600)\n");
}

// Waits of [TIME]: plain numbers up to an hour as they are; anything else is
// named with the value used, which never wraps and never goes below 0.
TEST(UpgradeParts, WaitsOutsideTheirRangeAreNamedAndClamped) {
    using tz::upgrade::wait_from_text;
    std::string note;
    EXPECT_EQ(wait_from_text("USB_WAIT_TIME", "30000", note), 30000);
    EXPECT_EQ(wait_from_text("USB_WAIT_TIME", "0003600000", note), 3600000);
    EXPECT_EQ(note, "");
    const std::pair<const char*, int32_t> garbage[] = {
        {"-5", 0}, {"abc", 0}, {"12abc", 12}, {"3600001", 3600000}, {"99999999999", 3600000}, {"4294967296", 3600000}};
    for (const auto& [text, used] : garbage) {
        EXPECT_EQ(wait_from_text("REWRITE_LIMIT", text, note), used) << text;
        EXPECT_EQ(note, "[TIME] REWRITE_LIMIT = \"" + std::string(text) +
                            "\" is not a number of milliseconds from 0 to 3600000; " + std::to_string(used) +
                            " is used.\n");
    }
}

TEST(UpgradeParts, ResultTexts) {
    EXPECT_STREQ(tz::upgrade::result_text(2600), "USB communication error");
    EXPECT_STREQ(tz::upgrade::result_text(5000), "MOT data error(address is incorrect)");
    EXPECT_STREQ(tz::upgrade::result_text(2601), "Unknown error");
}

}  // namespace
