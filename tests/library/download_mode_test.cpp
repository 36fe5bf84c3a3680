// Download mode and the one-call firmware update against a scripted printer:
// the exact announcements and data writes, and the codes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "download_context.h"

namespace {

using tz::test::Bytes;
using tz::test::DownloadContext;
using tz::test::error_answer;
using tz::test::eventually;
using tz::test::normal_answer;

Bytes pattern(size_t size) {
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 31 + (i >> 8));
    return bytes;
}

// A firmware file: `size` bytes with the model identifier at `identifier_at`.
Bytes firmware(size_t size, size_t identifier_at, uint8_t first = 0x00) {
    Bytes bytes = pattern(size);
    if (size > 0) bytes[0] = first;
    const std::string id = "TZP-K2207-5";
    if (identifier_at + id.size() <= size) std::copy(id.begin(), id.end(), bytes.begin() + identifier_at);
    return bytes;
}

class DownloadMode : public DownloadContext {
protected:
    std::string file(const Bytes& bytes) { return write_file("part.bin", std::string(bytes.begin(), bytes.end())); }
    std::vector<Bytes> received_after(size_t count) {
        eventually([&] { return script_->received().size() >= count; }, std::chrono::milliseconds(3000));
        return script_->received();
    }
    static Bytes joined(const std::vector<Bytes>& transfers, size_t from) {
        Bytes all;
        for (size_t i = from; i < transfers.size(); ++i) all.insert(all.end(), transfers[i].begin(), transfers[i].end());
        return all;
    }
    uint16_t update(int type, const Bytes& bytes) {
        uint16_t code = 0xFFFF;
        tzpusb_updateFirmware(type, file(bytes).c_str(), &code);
        return code;
    }
};

TEST_F(DownloadMode, ContinueSendsFromTheImageStartPlusWhatWasSent) {
    script_->answer(normal_answer());
    uint16_t code = 0xFFFF;
    ASSERT_EQ(tzpusb_startDlMode(1, 0x101, 20000, &code), 1) << code;
    const Bytes image = pattern(20000);
    uint32_t length = 10000;
    ASSERT_EQ(tzpusb_continue(image.data(), &length, &code), 1) << code;
    EXPECT_EQ(length, 10000u);
    length = 4096;
    ASSERT_EQ(tzpusb_continue(image.data(), &length, &code), 1) << code;
    EXPECT_EQ(tzpusb_endDlMode(&code), 1);

    std::vector<Bytes> got = received_after(5);
    ASSERT_EQ(got.size(), 5u);
    // Target 1, option 0, only the restart request's low byte, 20000 = 0x4E20.
    EXPECT_EQ(got[0], (Bytes{0x04, 0xC0, 0x0A, 0x00, 0x01, 0x00, 0x01, 0, 0, 0, 0x20, 0x4E, 0x00, 0x00}));
    EXPECT_EQ(got[1].size(), 4096u);
    EXPECT_EQ(got[2].size(), 4096u);
    EXPECT_EQ(got[3].size(), 1808u);
    EXPECT_EQ(joined(got, 1), Bytes(image.begin(), image.begin() + 14096));
}

TEST_F(DownloadMode, AnnouncementsThatFailOrAreNotAllowed) {
    uint16_t code = 0;
    EXPECT_EQ(tzpusb_startDlMode(3, 0, 100, &code), 0);
    EXPECT_EQ(code, 1006);
    // The printer refuses: 3200, whatever the answer said.
    script_->answer(error_answer(0x06));
    EXPECT_EQ(tzpusb_startDlMode(0, 0, 70000, &code), 0);
    EXPECT_EQ(code, 3200);
    // No answer at all (a communication failure underneath): 3200 too.
    EXPECT_EQ(tzpusb_startDlMode(2, 0, 70000, &code), 0);
    EXPECT_EQ(code, 3200);
    // USB: mode 1, address 0x4000, the length's low 16 bits; the restart is not sent.
    script_->answer(normal_answer());
    EXPECT_EQ(tzpusb_startDlMode(6, 1, 0x1C000, &code), 1);
    std::vector<Bytes> got = received_after(3);
    ASSERT_EQ(got.size(), 3u);  // nothing for kind 3
    EXPECT_EQ(got[2], (Bytes{0x01, 0x80, 0x05, 0x00, 0x01, 0x00, 0x40, 0x00, 0xC0}));
    // Ending needs no start; a null length is a parameter error.
    EXPECT_EQ(tzpusb_endDlMode(&code), 1);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(tzpusb_continue(nullptr, nullptr, &code), 0);
    EXPECT_EQ(code, 1006);
}

TEST_F(DownloadMode, PrinterThatLeavesMidDownload) {
    script_->answer(normal_answer());
    uint16_t code = 0;
    ASSERT_EQ(tzpusb_startDlMode(1, 0, 8192, &code), 1);
    FakeUsb_Unplug(0);
    const Bytes image = pattern(8192);
    uint32_t length = 8192;
    EXPECT_EQ(tzpusb_continue(image.data(), &length, &code), 0);
    EXPECT_EQ(code, 2600);
    EXPECT_EQ(length, 0u);
}

TEST_F(DownloadMode, UpdateFirmwareSendsTheUsbImageHeaderBlockFirst) {
    const Bytes usb = firmware(49152, 49098, 0xC2);
    script_->answer(normal_answer());
    ASSERT_EQ(update(1, usb), 0);
    std::vector<Bytes> got = received_after(13);
    ASSERT_EQ(got.size(), 13u);
    EXPECT_EQ(got[0], (Bytes{0x01, 0x80, 0x05, 0x00, 0x01, 0x00, 0x40, 0x00, 0xC0}));
    for (size_t i = 1; i < got.size(); ++i) EXPECT_EQ(got[i].size(), 4096u) << i;
    Bytes rotated(usb.begin() + 49088, usb.end());
    rotated.insert(rotated.end(), usb.begin(), usb.begin() + 49088);
    EXPECT_TRUE(joined(got, 1) == rotated);
}

TEST_F(DownloadMode, UpdateFirmwareAnnouncesEachPartWithItsTarget) {
    const Bytes main = firmware(5000, 10);
    script_->answer(normal_answer());
    ASSERT_EQ(update(2, main), 0);
    // The next answer is for the next announcement, not for a piece of this
    // part still on its way to the printer.
    received_after(1 + 2);
    const Bytes dsp = firmware(61339, 61328);
    script_->answer(normal_answer());
    ASSERT_EQ(update(3, dsp), 0);
    std::vector<Bytes> got = received_after(2 + 2 + 15);
    ASSERT_EQ(got.size(), 19u);
    EXPECT_EQ(got[0], (Bytes{0x04, 0xC0, 0x0A, 0x00, 0x01, 0x00, 0, 0, 0, 0, 0x88, 0x13, 0x00, 0x00}));
    EXPECT_EQ(joined({got[1], got[2]}, 0), main);
    EXPECT_EQ(got[3], (Bytes{0x04, 0xC0, 0x0A, 0x00, 0x00, 0x00, 0, 0, 0, 0, 0x9B, 0xEF, 0x00, 0x00}));
    EXPECT_TRUE(joined(got, 4) == dsp);
}

TEST_F(DownloadMode, UpdateFirmwareRefusesBadFilesBeforeSendingAnything) {
    EXPECT_EQ(update(1, firmware(49151, 49098, 0xC2)), 1005);
    EXPECT_EQ(update(1, firmware(49153, 49098, 0xC2)), 1005);
    EXPECT_EQ(update(1, firmware(49152, 49098, 0xC3)), 1005);  // first byte
    EXPECT_EQ(update(3, firmware(61338, 61328)), 1005);
    EXPECT_EQ(update(2, firmware(20, 10)), 1005);
    EXPECT_EQ(update(4, firmware(5000, 11)), 1005);  // identifier one byte off
    EXPECT_EQ(update(5, firmware(5000, 10)), 1006);
    EXPECT_EQ(update(0, firmware(5000, 10)), 1006);
    uint16_t code = 0;
    EXPECT_EQ(tzpusb_updateFirmware(2, nullptr, &code), 0);
    EXPECT_EQ(code, 1006);
    EXPECT_EQ(tzpusb_updateFirmware(2, folder_.file("none.bin").c_str(), &code), 0);
    EXPECT_EQ(code, 1005);
    // A refused announcement passes its code through.
    script_->answer(error_answer(0x06));
    EXPECT_NE(update(2, firmware(5000, 10)), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(script_->received().size(), 1u);
}

TEST(DownloadModeWithoutDownloadContext, GivesParameterErrorAndUpdateStillWorks) {
    FakeUsb_Reset();
    FakeUsb_AddPrinter("PRINTER0", 0x0F3C, 0x5A17);
    tz::test::OpenLibrary library;
    ASSERT_TRUE(library.ok());
    uint16_t code = 0;
    EXPECT_EQ(tzpusb_startDlMode(1, 0, 100, &code), 0);
    EXPECT_EQ(code, 1006);
    uint32_t length = 10;
    EXPECT_EQ(tzpusb_continue("0123456789", &length, &code), 0);
    EXPECT_EQ(code, 1006);
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(tzpusb_endDlMode(&code), 0);
    EXPECT_EQ(code, 1006);
    // The one-call update gets as far as the file check.
    EXPECT_EQ(tzpusb_updateFirmware(2, "/nonexistent/main.bin", &code), 0);
    EXPECT_EQ(code, 1005);
}

TEST_F(DownloadMode, NeedsTheSelectedPrinterStillThere) {
    FakeUsb_Unplug(0);
    char serials[1024];
    EXPECT_EQ(tzpusb_listupPrinterSN(serials), 0);
    uint16_t code = 0;
    EXPECT_EQ(tzpusb_startDlMode(1, 0, 100, &code), 0);
    EXPECT_EQ(code, 2000);
    EXPECT_EQ(tzpusb_endDlMode(&code), 0);
    EXPECT_EQ(code, 2000);
}

}  // namespace
