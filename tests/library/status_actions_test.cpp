// Printer status and device actions, byte for byte against scripted printers
// behind the test USB library.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <vector>

#include "fake_usbctrl/fake_usb.h"
#include "library_session.h"
#include "scripted_printer.h"

namespace {

using tz::test::Bytes;
using tz::test::error_answer;
using tz::test::kGetStatus;
using tz::test::my_context;
using tz::test::normal_answer;
using tz::test::OpenLibrary;
using tz::test::ScriptedPrinter;

class StatusActions : public ::testing::Test {
protected:
    void SetUp() override {
        FakeUsb_Reset();
        for (const char* serial : {"PRINTER0", "PRINTER1"})
            printers_.push_back(FakeUsb_AddPrinter(serial, 0x0F3C, 0x5A17));
        library_ = std::make_unique<OpenLibrary>();
        ASSERT_TRUE(library_->ok());
        for (int p : printers_) scripts_.push_back(std::make_unique<ScriptedPrinter>(FakeUsb_PrinterSocket(p)));
    }
    void TearDown() override {
        library_.reset();
        scripts_.clear();
        FakeUsb_Reset();
    }
    ScriptedPrinter& printer(int i) { return *scripts_[static_cast<size_t>(i)]; }

    std::vector<int> printers_;
    std::unique_ptr<OpenLibrary> library_;
    std::vector<std::unique_ptr<ScriptedPrinter>> scripts_;
};

TEST_F(StatusActions, StatusOfAReadyPrinter) {
    printer(0).answer(normal_answer());
    uint16_t code = 0xFFFF;
    EXPECT_EQ(tzpusb_status(&code), 1);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(printer(0).received(), std::vector<Bytes>{kGetStatus});
}

TEST_F(StatusActions, StatusReportsWhatThePrinterSays) {
    Bytes busy = normal_answer();
    busy[45] = 2;
    busy[53] = 1;
    Bytes letter = normal_answer(0x63);
    Bytes wrong_length = normal_answer();
    wrong_length[8] = 66;
    struct Case {
        Bytes answer;
        int returned;
        uint16_t code;
    };
    std::vector<Case> cases = {
        {busy, 0, 2100},
        {letter, 1, 0},  // a state letter alone is not passed on
        {error_answer(0x11, 6, 1, 0), 0, 2309},
        {error_answer(0x11, 6, 7, 0), 0, 2305},
        {error_answer(0x11, 6, 3, 0), 0, 2306},
        {normal_answer(0x11), 0, 2504},  // group 0
        {error_answer(0x34), 0, 2104},
        {error_answer(0x01), 0, 2600},  // 2601 folds into 2600 here
        {error_answer(0x03), 0, 2600},
        {wrong_length, 0, 2600},
    };
    for (const Case& c : cases) {
        printer(0).answer(c.answer);
        uint16_t code = 0xFFFF;
        EXPECT_EQ(tzpusb_status(&code), c.returned) << c.code;
        EXPECT_EQ(code, c.code);
    }
}

TEST_F(StatusActions, WakeUpSendsTheModeByte) {
    printer(0).answer(normal_answer(0, 0));
    uint16_t code = 0xFFFF;
    EXPECT_EQ(tzpusb_WakeUpStandby(0x1A5, &code), 1);  // only 8 bits are sent
    EXPECT_EQ(code, 0);
    EXPECT_EQ(printer(0).received(), (std::vector<Bytes>{{0x0A, 0x40, 0x01, 0x00, 0xA5}}));
    printer(0).answer(error_answer(0x01));
    EXPECT_EQ(tzpusb_WakeUpStandby(1, &code), 0);
    EXPECT_EQ(code, 2600);
}

TEST_F(StatusActions, ResetOfABusyPrinterIsStillSent) {
    Bytes busy = normal_answer();
    busy[45] = 1;
    busy[53] = 1;
    printer(0).answer(busy);
    printer(0).answer(normal_answer(0, 0));
    uint16_t code = 0xFFFF;
    EXPECT_EQ(tzpusb_resetPrinter(&code), 1);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(printer(0).received(), (std::vector<Bytes>{kGetStatus, {0x04, 0x40, 0x02, 0x00, 0x03, 0x00}}));
}

TEST_F(StatusActions, LedOnAPrinterInAnErrorStateIsSentAndItsRefusalReported) {
    printer(0).answer(error_answer(0x11, 6, 1, 0));  // cover open
    printer(0).answer(error_answer(0x11, 6, 1, 0));
    uint16_t code = 0xFFFF;
    EXPECT_EQ(tzpusb_blinkLED(&code), 0);
    EXPECT_EQ(code, 2309);
    EXPECT_EQ(printer(0).received(), (std::vector<Bytes>{kGetStatus, {0x03, 0x40, 0x00, 0x00}}));
}

TEST_F(StatusActions, LedOnAnUnpluggedPrinterSendsNothing) {
    FakeUsb_Unplug(printers_[0]);
    uint16_t code = 0;
    EXPECT_EQ(tzpusb_blinkLED(&code), 0);
    EXPECT_TRUE(code == 2600 || code == 2000) << code;
    EXPECT_TRUE(printer(0).received().empty());
    // Once the monitor has dropped it, there is nothing to talk to.
    ASSERT_TRUE(tz::test::eventually([] { return my_context().selection.index() == 255; }));
    EXPECT_EQ(tzpusb_blinkLED(&code), 0);
    EXPECT_EQ(code, 2000);
    EXPECT_TRUE(printer(0).received().empty());
    EXPECT_EQ(tzpusb_status(&code), 0);
    EXPECT_EQ(code, 2000);
}

TEST_F(StatusActions, StatusOfSeveralPrinters) {
    uint8_t index1 = 1;  // the second printer's table index
    printer(0).answer(normal_answer());
    Bytes busy = normal_answer();
    busy[45] = busy[53] = 1;
    printer(1).answer(busy);
    const uint8_t list[] = {index1, 0, 77, 0xFF, 0};
    std::array<uint16_t, 5> codes;
    codes.fill(0xAAAA);
    EXPECT_EQ(tzpusb_statusAll(list, codes.data()), 1);
    EXPECT_EQ(codes[0], 2100);
    EXPECT_EQ(codes[1], 0);
    EXPECT_EQ(codes[2], 2000);    // a free table entry: no traffic
    EXPECT_EQ(codes[3], 0xAAAA);  // past the end mark: untouched
    // The selection is back on printer 0, with its pipes.
    EXPECT_EQ(my_context().selection.index(), 0);
    EXPECT_EQ(my_context().selection.load().write_pipe, FakeUsb_WritePipe(printers_[0]));
    EXPECT_EQ(printer(1).received(), std::vector<Bytes>{kGetStatus});

    const uint8_t nothing[] = {0xFF, 0, 1};
    codes.fill(0xAAAA);
    EXPECT_EQ(tzpusb_statusAll(nothing, codes.data()), 0);
    EXPECT_EQ(codes[0], 0xAAAA);
}

TEST_F(StatusActions, StatusOfSeveralWithNothingSelectedStaysOnTheLastQueried) {
    my_context().selection.clear();
    printer(1).answer(normal_answer());
    const uint8_t list[] = {1, 0xFF};
    uint16_t codes[1] = {0};
    EXPECT_EQ(tzpusb_statusAll(list, codes), 1);
    EXPECT_EQ(my_context().selection.index(), 1);
    EXPECT_EQ(my_context().selection.load().read_pipe, FakeUsb_ReadPipe(printers_[1]));
}

TEST(StatusActionsWithoutContext, Give1501) {
    uint16_t code = 0;
    EXPECT_EQ(tzpusb_status(&code), 0);
    EXPECT_EQ(code, TZP_NO_CONTEXT);
    EXPECT_EQ(tzpusb_WakeUpStandby(0, &code), 0);
    EXPECT_EQ(tzpusb_blinkLED(nullptr), 0);
    code = 0;
    EXPECT_EQ(tzpusb_resetPrinter(&code), 0);
    EXPECT_EQ(code, TZP_NO_CONTEXT);
    std::vector<uint8_t> list(200, 3);
    list[5] = 0xFF;
    std::vector<uint16_t> codes(200, 0);
    EXPECT_EQ(tzpusb_statusAll(list.data(), codes.data()), 0);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(codes[i], TZP_NO_CONTEXT);
    EXPECT_EQ(codes[5], 0);
    std::vector<uint8_t> long_list(200, 3);  // no end mark: at most 128 entries
    std::fill(codes.begin(), codes.end(), 0);
    EXPECT_EQ(tzpusb_statusAll(long_list.data(), codes.data()), 0);
    EXPECT_EQ(codes[127], TZP_NO_CONTEXT);
    EXPECT_EQ(codes[128], 0);
}

}  // namespace
