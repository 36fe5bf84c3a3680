// Gamma tables, the sharpening kernel, tone curves and the laminate pattern
// through the exports: tables and kernels on literal values, the printer
// traffic byte for byte against a printer end that may answer one command
// with several packets.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "fake_usbctrl/fake_usb.h"
#include "library_session.h"
#include "one_scripted_printer.h"
#include "scripted_printer.h"
#include "temp_folder.h"

namespace {

using tz::test::answer_with;
using tz::test::Bytes;
using tz::test::error_answer;
using tz::test::my_context;
using tz::test::my_print;
using tz::test::normal_answer;
using tz::test::TempFolder;
using Frames = std::vector<Bytes>;

const Bytes kAck = normal_answer(0, 0);

class CorrectionData : public tz::test::OneScriptedPrinter {
protected:
    std::string file(const std::string& name, const std::string& content) {
        std::string path = folder_.file(name);
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
    Frames received_after(size_t count) {
        tz::test::eventually([&] { return script_->received().size() >= count; }, std::chrono::milliseconds(3000));
        return script_->received();
    }
    uint16_t read_mtf(const std::string& text, std::array<int32_t, 9>& kernel) {
        uint16_t code = 0xFFFF;
        tzpusb_getMtf(file("kernel.txt", text).c_str(), kernel.data(), &code);
        return code;
    }

    TempFolder folder_;
};

// A data packet after the Read Tone Curve answer: packet number, count, data.
Bytes curve_packet(uint8_t number, const Bytes& data, int count = -1) {
    Bytes packet(2 + data.size());
    packet[0] = number;
    packet[1] = static_cast<uint8_t>(count < 0 ? data.size() : static_cast<size_t>(count));
    std::copy(data.begin(), data.end(), packet.begin() + 2);
    return packet;
}

// `size` curve bytes, value i = i * 85, most significant byte first.
Bytes wire_curve(size_t size) {
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i % 2 == 0 ? (i / 2 * 85) >> 8 : i / 2 * 85);
    return bytes;
}

// The answer to the Read Tone Curve Command and `total` bytes in packets of 192.
Frames curve_answer(uint16_t announced, const Bytes& bytes) {
    Frames burst = {answer_with({static_cast<uint8_t>(announced), static_cast<uint8_t>(announced >> 8)})};
    for (size_t at = 0, n = 1; at < bytes.size(); at += 192, ++n)
        burst.push_back(curve_packet(static_cast<uint8_t>(n),
                                     Bytes(bytes.begin() + static_cast<long>(at),
                                           bytes.begin() + static_cast<long>(std::min(at + 192, bytes.size())))));
    return burst;
}

TEST_F(CorrectionData, GammaTablesAreTruncatedAndStayValidForOverflowingPowers) {
    std::array<uint8_t, 256> t1{}, t2{}, t3{};
    tzpusb_makeGamma(220, t1.data(), t2.data(), t3.data());
    for (const auto& t : {t1, t2, t3}) EXPECT_EQ((Bytes{t[0], t[128], t[254], t[255]}), (Bytes{0, 55, 252, 255}));

    t2.fill(7);
    tzpusb_makeGamma(100, t1.data(), nullptr, t3.data());
    for (int i = 0; i < 256; ++i) ASSERT_EQ(t1[i], i);
    EXPECT_EQ(t3, t1);
    EXPECT_EQ(t2[200], 7);  // a null table is skipped, the others are written

    tzpusb_makeGamma(0, t1.data(), nullptr, nullptr);
    EXPECT_EQ((Bytes{t1[0], t1[1], t1[255]}), (Bytes{255, 255, 255}));

    // 255^200 is beyond the double range.
    tzpusb_makeGamma(20000, t1.data(), nullptr, nullptr);
    EXPECT_EQ((Bytes{t1[0], t1[128], t1[250], t1[254], t1[255]}), (Bytes{0, 0, 4, 116, 255}));
    tzpusb_makeGamma(65535, t1.data(), nullptr, nullptr);
    EXPECT_EQ((Bytes{t1[253], t1[254], t1[255]}), (Bytes{1, 19, 255}));
}

TEST_F(CorrectionData, GammaFileGivesThreeTablesAndAShortOneFails) {
    std::string bytes(800, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i % 251);
    std::array<uint8_t, 256> t1{}, t2{}, t3{};
    uint16_t code = 0xFFFF;
    EXPECT_EQ(tzpusb_getGamma(file("gamma.bin", bytes).c_str(), t1.data(), t2.data(), t3.data(), &code), 1);
    EXPECT_EQ(code, 0);
    EXPECT_EQ((Bytes{t1[0], t1[255], t2[0], t3[0], t3[255]}), (Bytes{0, 4, 5, 10, 14}));

    t1.fill(0xEE), t2.fill(0xEE), t3.fill(0xEE);
    EXPECT_EQ(tzpusb_getGamma(file("short.bin", bytes.substr(0, 767)).c_str(), t1.data(), t2.data(), t3.data(), &code), 0);
    EXPECT_EQ(code, 1005);
    EXPECT_EQ((Bytes{t1[255], t2[0], t2[255]}), (Bytes{4, 5, 9}));  // tables 1 and 2 were filled
    code = 0xFFFF;
    EXPECT_EQ(tzpusb_getGamma(folder_.file("missing.bin").c_str(), t1.data(), t2.data(), t3.data(), &code), 0);
    EXPECT_EQ(code, 1005);
}

TEST_F(CorrectionData, KernelFromFileAndItsInstallation) {
    std::array<int32_t, 9> kernel{};
    EXPECT_EQ(read_mtf("0,-10,0,-10,140,-10,0,-10,0", kernel), 0);
    EXPECT_EQ(kernel, (std::array<int32_t, 9>{0, -10, 0, -10, 140, -10, 0, -10, 0}));
    tzpusb_setmtf(kernel.data());
    const tz::lib::MtfKernel& installed = my_print().mtf;
    EXPECT_TRUE(installed.enabled);
    EXPECT_EQ(installed.mask, 0xBA);  // bits 1, 3, 4, 5, 7
    EXPECT_EQ(installed.k, kernel);

    const std::array<int32_t, 9> identity = {0, 0, 0, 0, 100, 0, 0, 0, 0};
    tzpusb_setmtf(identity.data());
    EXPECT_FALSE(installed.enabled);
    EXPECT_EQ(installed.mask, 0x10);
    std::array<int32_t, 9> stronger = identity;
    stronger[4] = 101;
    tzpusb_setmtf(stronger.data());
    EXPECT_TRUE(installed.enabled);
    EXPECT_EQ(installed.k[4], 101);
    tzpusb_setmtf(nullptr);
    EXPECT_FALSE(installed.enabled);
    EXPECT_EQ(installed.mask, 0);
    EXPECT_EQ(installed.k, identity);

    // Any separators; a sign inside a number ends its digits; the file is not installed.
    EXPECT_EQ(read_mtf("a=+7 x 2147483647;-2147483648 1-5\n3 4 5 6 7 8", kernel), 0);
    EXPECT_EQ(kernel, (std::array<int32_t, 9>{7, 2147483647, -2147483648, 1, 3, 4, 5, 6, 7}));
    EXPECT_EQ(installed.mask, 0);
    uint16_t code = 0xFFFF;
    EXPECT_EQ(tzpusb_getMtf(nullptr, kernel.data(), &code), 1);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(kernel, identity);

    EXPECT_EQ(read_mtf("1 2 3 4 5 6 7 8", kernel), 1005);               // eight numbers
    EXPECT_EQ(read_mtf("1 2 3 4 \xFF 5 6 7 8 9", kernel), 1005);        // 0xFF reads as the end
    EXPECT_EQ(read_mtf("1 2 3 4 5 6 7 8 2147483648", kernel), 1005);    // beyond 32 bits
    EXPECT_EQ(read_mtf("1 2 3 4 5 6 7 8 -99999999999", kernel), 1005);
    EXPECT_EQ(read_mtf(std::string(256, '1') + " 2 3 4 5 6 7 8 9", kernel), 1005);  // beyond 255 characters
    EXPECT_EQ(read_mtf(std::string(254, '0') + "9 2 3 4 5 6 7 8 9", kernel), 0);
    EXPECT_EQ(kernel[0], 9);
}

TEST_F(CorrectionData, ToneCurveDownloadAndReset) {
    Bytes curve = wire_curve(1536);
    script_->answer_burst({kAck});
    script_->answer_burst({});  // the curve data: no answer
    script_->answer_burst({kAck});
    uint16_t code = 0xFFFF;
    EXPECT_EQ(tzpusb_setPrinterToneCurve(2, 3, curve.data(), &code), 1);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(tzpusb_setPrinterToneCurve(0, 1, nullptr, &code), 1);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(tzpusb_setPrinterToneCurve(0, 5, nullptr, &code), 0);
    EXPECT_EQ(code, 1006);
    EXPECT_EQ(tzpusb_setPrinterToneCurve(3, 1, curve.data(), &code), 0);
    EXPECT_EQ(code, 1006);
    EXPECT_EQ(tzpusb_setPrinterToneCurve(1, 1, nullptr, &code), 0);  // nothing to download
    EXPECT_EQ(code, 1006);
    // Target 4 for curve type 2, sub-target = kind, restart 0, 1536 bytes; then
    // the data in one write. The reset: Reset Command target 4, sub-target = kind.
    EXPECT_EQ(received_after(3), (Frames{{0x04, 0xC0, 0x0A, 0x00, 0x04, 0x03, 0, 0, 0, 0, 0x00, 0x06, 0x00, 0x00},
                                         curve,
                                         {0x04, 0x40, 0x02, 0x00, 0x04, 0x01}}));

    // A refused announcement sends no data; the code is folded.
    script_->answer_burst({error_answer(0x01)});
    EXPECT_EQ(tzpusb_setPrinterToneCurve(1, 4, curve.data(), &code), 0);
    EXPECT_EQ(code, 2600);
    Frames got = received_after(4);
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[3], (Bytes{0x04, 0xC0, 0x0A, 0x00, 0x03, 0x04, 0, 0, 0, 0, 0x00, 0x06, 0x00, 0x00}));
}

TEST_F(CorrectionData, ToneCurveReadBackInHostOrderNeverBeyond1536Bytes) {
    std::array<uint16_t, 800> values{};
    values.fill(0xABCD);
    uint16_t code = 0xFFFF;
    script_->answer_burst(curve_answer(1536, wire_curve(1536)));
    EXPECT_EQ(tzpusb_getPrinterToneCurve(2, 4, values.data(), &code), 1);
    EXPECT_EQ(code, 0);
    EXPECT_EQ((std::vector<uint16_t>{values[0], values[1], values[3], values[767], values[768]}),
              (std::vector<uint16_t>{0x0000, 0x0055, 0x00FF, 0xFEAB, 0xABCD}));
    EXPECT_EQ(received_after(1), (Frames{{0x05, 0x40, 0x02, 0x00, 0x02, 0x04}}));

    // A printer that announces more: 1536 bytes stored, the rest read and dropped.
    values.fill(0xABCD);
    script_->answer_burst(curve_answer(1600, wire_curve(1600)));
    EXPECT_EQ(tzpusb_getPrinterToneCurve(1, 1, values.data(), &code), 0);
    EXPECT_EQ(code, 1006);
    EXPECT_EQ((std::vector<uint16_t>{values[767], values[768], values[799]}),
              (std::vector<uint16_t>{0xFEAB, 0xABCD, 0xABCD}));

    // A count byte that disagrees: the packet is taken, success with 2600.
    script_->answer_burst({answer_with({0x04, 0x00}), curve_packet(1, {0x12, 0x34, 0x56, 0x78}, 3)});
    EXPECT_EQ(tzpusb_getPrinterToneCurve(1, 2, values.data(), &code), 1);
    EXPECT_EQ(code, 2600);
    EXPECT_EQ((std::vector<uint16_t>{values[0], values[1]}), (std::vector<uint16_t>{0x1234, 0x5678}));

    // Nothing announced: one packet is still read; without it the read fails.
    script_->answer_burst({answer_with({0x00, 0x00}), curve_packet(1, {})});
    EXPECT_EQ(tzpusb_getPrinterToneCurve(1, 3, values.data(), &code), 1);
    EXPECT_EQ(code, 0);
    script_->answer_burst({answer_with({0x00, 0x00})});
    EXPECT_EQ(tzpusb_getPrinterToneCurve(1, 3, values.data(), &code), 0);
    EXPECT_EQ(code, 2600);

    EXPECT_EQ(tzpusb_getPrinterToneCurve(0, 1, values.data(), &code), 0);
    EXPECT_EQ(code, 1006);
    EXPECT_EQ(tzpusb_getPrinterToneCurve(1, 5, values.data(), &code), 0);
    EXPECT_EQ(code, 1006);
    EXPECT_EQ(received_after(5).size(), 5u);  // the refused calls sent nothing
}

TEST_F(CorrectionData, LaminatePatternGoesOutInPiecesAndIsReset) {
    Bytes pattern(9166080);
    for (size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<uint8_t>(i * 7 + (i >> 12));
    script_->answer_burst({kAck});
    uint16_t code = 0xFFFF;
    EXPECT_EQ(tzpusb_setLaminatePattern(0, pattern.data(), &code), 1);
    EXPECT_EQ(code, 0);
    Frames got = received_after(2239);
    ASSERT_EQ(got.size(), 2239u);  // the announcement, 2237 pieces of 4096 and one of 3328
    EXPECT_EQ(got[0], (Bytes{0x04, 0xC0, 0x0A, 0x00, 0x10, 0x00, 0, 0, 0, 0, 0x00, 0xDD, 0x8B, 0x00}));
    EXPECT_EQ(got[1].size(), 4096u);
    EXPECT_EQ(got[2238].size(), 3328u);
    Bytes sent;
    for (size_t i = 1; i < got.size(); ++i) sent.insert(sent.end(), got[i].begin(), got[i].end());
    EXPECT_TRUE(sent == pattern);

    script_->answer_burst({kAck});
    EXPECT_EQ(tzpusb_setLaminatePattern(2, nullptr, &code), 1);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(tzpusb_setLaminatePattern(1, pattern.data(), &code), 0);
    EXPECT_EQ(code, 1006);
    EXPECT_EQ(tzpusb_setLaminatePattern(0, nullptr, &code), 0);
    EXPECT_EQ(code, 1006);
    got = received_after(2240);
    ASSERT_EQ(got.size(), 2240u);
    EXPECT_EQ(got[2239], (Bytes{0x04, 0x40, 0x02, 0x00, 0x10, 0x00}));
}

}  // namespace
