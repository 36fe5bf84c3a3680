// The MOT loader through its exports, on S-record files written by hand.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "download/hex_text.h"
#include "download_context.h"

namespace {

using tz::test::DownloadContext;
using Bytes = std::vector<uint8_t>;

struct Loaded {
    Bytes image;
    bool returned = false;
    uint32_t size = 0xDEAD, sum = 0xDEAD, start = 0xDEAD, end = 0xDEAD;
    uint16_t code = 0xFFFF;
};

class MotLoader : public DownloadContext {
protected:
    Loaded load(const std::string& text) {
        Loaded out;
        const std::string path = write_file("firmware.mot", text);
        void* image = tzpusb_newMotFile(path.c_str(), &out.size, &out.sum, &out.start, &out.end, &out.code);
        out.returned = image != nullptr;
        if (image != nullptr) {
            const auto* bytes = static_cast<const uint8_t*>(image);
            out.image.assign(bytes, bytes + out.size);
        }
        tzpusb_disposMotFile(image);
        return out;
    }
    uint16_t code_of(const std::string& text) { return load(text).code; }
};

TEST_F(MotLoader, TwoRecordsWithAGapGiveOneImageFilledWithFF) {
    Loaded got = load("S00600004844521B\r\nS107100001020304DE\r\nS1051010AABB75\r\nS9030000FC\r\n");
    ASSERT_TRUE(got.returned);
    EXPECT_EQ(got.code, 0);
    EXPECT_EQ(got.start, 0x1000u);
    EXPECT_EQ(got.end, 0x1011u);
    EXPECT_EQ(got.size, 18u);
    Bytes expected = {1, 2, 3, 4};
    expected.insert(expected.end(), 12, 0xFF);
    expected.insert(expected.end(), {0xAA, 0xBB});
    EXPECT_EQ(got.image, expected);
    EXPECT_EQ(got.sum, 10u + 12u * 255u + 0xAAu + 0xBBu);
}

TEST_F(MotLoader, WhatIsReadAsText) {
    // Lower-case digits; text between records, a lower-case s among it.
    EXPECT_EQ(code_of("junk s1 not a record\n  S1052000abcd62 more junk\nS9030000FC"), 0);
    // A character that is no digit counts as 0: harmless where a 0 stood...
    EXPECT_EQ(code_of("S1071000G1020304DE\n"), 0);
    // ...a checksum error where it changes the sum.
    EXPECT_EQ(code_of("S1071000010G0304DE\n"), 3002);
    // S2, S5 (its characters skipped unchecked), S7 and S8.
    EXPECT_EQ(code_of("S5030001XX\nS20612345611222A\nS70500001000EA\nS804001000EB\n"), 0);
    // A header of 200 bytes is read and checked whole.
    std::string header = "S0CB0000" + std::string(400, '4');
    unsigned sum = 0xCB;
    for (int i = 0; i < 200; ++i) sum += 0x44;
    char checksum[3];
    std::snprintf(checksum, sizeof checksum, "%02X", ~sum & 0xFF);
    EXPECT_EQ(code_of(header + checksum + "\nS1052000ABCD62\n"), 0);
}

TEST_F(MotLoader, FirstFailingRecordGivesItsCode) {
    EXPECT_EQ(code_of("S107100001020304DF\n"), 3002);                   // checksum
    EXPECT_EQ(code_of("S1052000ABCD62\nS4030000FC\n"), 3001);           // S4
    EXPECT_EQ(code_of("S6030000FC\n"), 3001);                           // S6
    EXPECT_EQ(code_of("SX030000FC\n"), 3001);                           // no digit after S
    EXPECT_EQ(code_of("S1021000ED\n"), 3001);                           // S1 count below 3
    EXPECT_EQ(code_of("S1052000ABCD62\nS9040000FB\n"), 3001);           // S9 count not "03"
    EXPECT_EQ(code_of("S1052000ABCD62\nS1071000010203"), 1005);         // ends inside a record
    EXPECT_EQ(code_of("S1052000ABCD62\nS"), 1005);
    EXPECT_EQ(code_of("S00600004844521B\nS9030000FC\n"), 3003);         // no data record
    EXPECT_EQ(code_of(""), 3003);
    // Addresses that would wrap past 0xFFFFFFFF; the last 32 that fit are fine.
    EXPECT_EQ(code_of("S325FFFFFFF0000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1FFD\n"), 3003);
    EXPECT_EQ(code_of("S325FFFFFFE0000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F0D\n"), 0);
    // Data 512 MiB apart is more than a caller can hold: 1000, and nothing allocated for it...
    EXPECT_EQ(code_of("S3060000000055A4\nS306200000006673\n"), 1000);
    // ...but a checksum error anywhere is found first, in the measuring pass.
    EXPECT_EQ(code_of("S3060000000055A4\nS306200000006674\n"), 3002);

    Loaded failed = load("S107100001020304DF\n");
    EXPECT_FALSE(failed.returned);
    EXPECT_EQ(failed.size, 0u);
    EXPECT_EQ(failed.sum, 0u);
    EXPECT_EQ(failed.start, 0xDEADu);  // left untouched
    EXPECT_EQ(failed.end, 0xDEADu);

    uint16_t code = 0;
    EXPECT_EQ(tzpusb_newMotFile(folder_.file("missing.mot").c_str(), nullptr, nullptr, nullptr, nullptr, &code), nullptr);
    EXPECT_EQ(code, 1005);
    tzpusb_disposMotFile(nullptr);
}

// Records written here, independently of the loader, across several read
// blocks, some of them cut by a block boundary.
TEST_F(MotLoader, LargeFileAcrossReadBlocks) {
    Bytes expected(300000);
    for (size_t i = 0; i < expected.size(); ++i) expected[i] = static_cast<uint8_t>(i * 7 + (i >> 9));
    std::string text = "S00600004844521B\r\n";
    const uint32_t base = 0x00800000;
    for (size_t at = 0; at < expected.size(); at += 32) {
        const size_t n = std::min<size_t>(32, expected.size() - at);
        const uint32_t address = base + static_cast<uint32_t>(at);
        unsigned sum = static_cast<unsigned>(n + 5);
        char field[16];
        std::snprintf(field, sizeof field, "S3%02X%08X", static_cast<unsigned>(n + 5), address);
        text += field;
        for (int s = 0; s < 32; s += 8) sum += (address >> s) & 0xFF;
        for (size_t k = 0; k < n; ++k) {
            std::snprintf(field, sizeof field, "%02X", expected[at + k]);
            text += field;
            sum += expected[at + k];
        }
        std::snprintf(field, sizeof field, "%02X\r\n", ~sum & 0xFF);
        text += field;
    }
    text += "S705008000007A\r\n";
    ASSERT_GT(text.size(), 2u * 0x40000);
    Loaded got = load(text);
    ASSERT_EQ(got.code, 0);
    EXPECT_EQ(got.start, base);
    EXPECT_EQ(got.end, base + expected.size() - 1);
    EXPECT_TRUE(got.image == expected);
    uint32_t sum = 0;
    for (uint8_t b : expected) sum += b;
    EXPECT_EQ(got.sum, sum);
}

TEST(MotLoaderWithoutDownloadContext, GivesParameterError) {
    FakeUsb_Reset();
    FakeUsb_AddPrinter("PRINTER0", 0x0F3C, 0x5A17);
    {
        tz::test::OpenLibrary library;
        ASSERT_TRUE(library.ok());
        uint16_t code = 0;
        uint32_t size = 5;
        EXPECT_EQ(tzpusb_newMotFile("/dev/null", &size, nullptr, nullptr, nullptr, &code), nullptr);
        EXPECT_EQ(code, 1006);
        EXPECT_EQ(size, 0u);
    }
    uint16_t code = 0;
    EXPECT_EQ(tzpusb_newMotFile("/dev/null", nullptr, nullptr, nullptr, nullptr, &code), nullptr);
    EXPECT_EQ(code, 1501);
    FakeUsb_Reset();
}

}  // namespace

namespace {

// The vector conversion against the one-pair-at-a-time one, on text of any
// characters and any length, with and without an output.
TEST(HexText, VectorConversionEqualsThePlainOne) {
    uint32_t seed = 5170;
    auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
    for (int round = 0; round < 2000; ++round) {
        const size_t count = next() % 300;
        std::vector<uint8_t> text(2 * count);
        const bool any_character = round % 3 == 0;
        for (uint8_t& c : text) c = any_character ? static_cast<uint8_t>(next() >> 24) : "0123456789ABCDEFabcdef"[next() % 22];
        std::vector<uint8_t> fast(count + 1, 0x5A), plain(count + 1, 0x5A);
        ASSERT_EQ(tz::lib::decode_hex_bytes(text.data(), count, fast.data()),
                  tz::lib::decode_hex_bytes_scalar(text.data(), count, plain.data()));
        ASSERT_EQ(fast, plain);  // and nothing written past the count
        ASSERT_EQ(tz::lib::decode_hex_bytes(text.data(), count, nullptr),
                  tz::lib::decode_hex_bytes_scalar(text.data(), count, nullptr));
    }
    EXPECT_EQ(tz::lib::decode_hex_bytes_scalar(reinterpret_cast<const uint8_t*>("fF0aG1"), 3, nullptr),
              0xFFu + 0x0Au + 0x01u);
}

}  // namespace
