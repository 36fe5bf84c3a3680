// Status and device actions through the exports, against virtual printers in
// their states and with faults injected through their control sockets.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "library_session.h"
#include "printer_farm.h"

namespace {

using tz::test::control;
using tz::test::eventually;
using tz::test::OpenLibrary;
using tz::test::PrinterFarm;

struct Outcome {
    int returned;
    uint16_t code;
    bool operator==(const Outcome&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Outcome& o) { return out << o.returned << "/" << o.code; }

Outcome status() {
    uint16_t code = 0xFFFF;
    int returned = tzpusb_status(&code);
    return {returned, code};
}

class StatusEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        tz::emulator::PrinterOptions options;
        options.folder = farm_.folder().path();
        options.serial = "SN000001";
        options.time_scale = 0.01;  // a restart takes 100 ms
        printer_ = &farm_.add(options);
        library_ = std::make_unique<OpenLibrary>();
        ASSERT_TRUE(library_->ok()) << library_->code();
    }
    void TearDown() override { library_.reset(); }
    std::string say(const std::string& command) { return control(*printer_, command); }

    PrinterFarm farm_;
    tz::emulator::VirtualPrinter* printer_ = nullptr;
    std::unique_ptr<OpenLibrary> library_;
};

TEST_F(StatusEndToEnd, PrinterStatesBecomeTheirCodes) {
    EXPECT_EQ(status(), (Outcome{1, 0}));
    struct Case {
        const char* set;
        const char* clear;
        Outcome expected;
    };
    for (const Case& c : {Case{"cover-open", "clear-error", {0, 2309}}, Case{"no-paper", "clear-error", {0, 2305}},
                          Case{"no-ribbon", "clear-error", {0, 2306}}, Case{"busy", "busy off", {0, 2100}},
                          Case{"state 1", "state clear", {0, 2101}}, Case{"state 7", "state clear", {0, 2107}},
                          Case{"state c", "state clear", {1, 0}}, Case{"error 11 02 07 00", "error clear", {0, 4107}},
                          Case{"error 11 06 00 03", "error clear", {0, 2403}}, Case{"error 01", "error clear", {0, 2600}}}) {
        ASSERT_EQ(say(c.set).rfind("ok", 0), 0u) << c.set;
        EXPECT_EQ(status(), c.expected) << c.set;
        ASSERT_EQ(say(c.clear).rfind("ok", 0), 0u) << c.clear;
        EXPECT_EQ(status(), (Outcome{1, 0})) << "after " << c.clear;
    }
}

TEST_F(StatusEndToEnd, DamagedAndLateAnswers) {
    ASSERT_EQ(say("corrupt-next"), "ok");
    EXPECT_EQ(status(), (Outcome{0, 2600}));
    EXPECT_EQ(status(), (Outcome{1, 0}));
    ASSERT_EQ(say("truncate-next"), "ok");
    EXPECT_EQ(status(), (Outcome{0, 2600}));
    ASSERT_EQ(say("delay 50"), "ok");
    EXPECT_EQ(status(), (Outcome{1, 0}));
}

TEST_F(StatusEndToEnd, ResetRestartsThePrinter) {
    uint16_t code = 0xFFFF;
    EXPECT_EQ(tzpusb_resetPrinter(&code), 1);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(status(), (Outcome{0, 2101}));  // initialising
    EXPECT_TRUE(eventually([] { return status() == Outcome{1, 0}; }));
}

TEST_F(StatusEndToEnd, LedAndWakeUpAreAcknowledged) {
    uint16_t code = 0xFFFF;
    EXPECT_EQ(tzpusb_blinkLED(&code), 1);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(tzpusb_WakeUpStandby(1, &code), 1);
    EXPECT_EQ(code, 0);
    // With the cover open the LED still goes out; the printer decides.
    ASSERT_EQ(say("cover-open"), "ok");
    tzpusb_blinkLED(&code);
    EXPECT_NE(code, 2600);
    EXPECT_NE(code, 2000);
}

TEST_F(StatusEndToEnd, StatusOfSeveralPrinters) {
    library_.reset();  // the next open finds both printers
    auto& second = farm_.add("SN000002");
    library_ = std::make_unique<OpenLibrary>();
    ASSERT_TRUE(library_->ok());
    uint8_t indexes[128];
    ASSERT_EQ(tzpusb_listupPrinter(indexes), 2);
    ASSERT_EQ(control(second, "cover-open"), "ok");
    const uint8_t list[] = {indexes[0], indexes[1], 77, 0xFF};
    std::array<uint16_t, 3> codes{};
    EXPECT_EQ(tzpusb_statusAll(list, codes.data()), 1);
    EXPECT_EQ(codes[0], 0);
    EXPECT_EQ(codes[1], 2309);
    EXPECT_EQ(codes[2], 2000);
    // Only the broken one: no entry came back 0.
    const uint8_t broken[] = {indexes[1], 0xFF};
    EXPECT_EQ(tzpusb_statusAll(broken, codes.data()), 0);
    EXPECT_EQ(status(), (Outcome{1, 0}));  // still on the first printer
}

// Last: a read given up at the time limit marks the process.
TEST_F(StatusEndToEnd, PrinterThatStopsAnsweringFailsAtTheLimit) {
    ASSERT_EQ(say("hang"), "ok");
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(status(), (Outcome{0, 2600}));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(tz::test::kTestIoTimeoutMs - 20));
    ASSERT_EQ(say("resume"), "ok");
    EXPECT_EQ(status(), (Outcome{1, 0}));
}

}  // namespace
