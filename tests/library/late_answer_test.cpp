// An answer that arrives after its command gave up at the time limit is never
// taken for the answer of a later command.
#include <gtest/gtest.h>

#include "library_session.h"
#include "printer_farm.h"

namespace {

using tz::test::control;
using tz::test::OpenLibrary;
using tz::test::PrinterFarm;
using tz::test::status_code;

TEST(LateAnswers, AreThrownAwayInsteadOfAnsweringTheNextCommands) {
    PrinterFarm farm;
    auto& printer = farm.add("SN000001");
    OpenLibrary library;
    ASSERT_TRUE(library.ok());
    // Every answer comes 700 ms after its command; the library gives up at 400 ms.
    ASSERT_EQ(control(printer, "delay 700"), "ok");
    EXPECT_EQ(status_code(), TZP_USB_ERROR);
    // The status answer arrives while the wake-up waits for its own.
    uint16_t code = 0xFFFF;
    EXPECT_EQ(tzpusb_WakeUpStandby(1, &code), 0);
    EXPECT_EQ(code, TZP_USB_ERROR);

    ASSERT_EQ(control(printer, "delay 0"), "ok");
    EXPECT_EQ(status_code(), TZP_OK);
    // Each command reads its own answer again, not the one before.
    ASSERT_EQ(control(printer, "state 1"), "ok");
    EXPECT_EQ(status_code(), 2101);
    ASSERT_EQ(control(printer, "state clear"), "ok");
    EXPECT_EQ(status_code(), TZP_OK);
    EXPECT_EQ(tzpusb_WakeUpStandby(0, &code), 1);
}

TEST(LateAnswers, APrinterThatDroppedTheCommandCostsTheNextCommandOneShortWait) {
    PrinterFarm farm;
    auto& printer = farm.add("SN000001");
    OpenLibrary library;
    ASSERT_TRUE(library.ok());
    ASSERT_EQ(control(printer, "hang"), "ok");  // takes commands and drops them
    EXPECT_EQ(status_code(), TZP_USB_ERROR);
    ASSERT_EQ(control(printer, "resume"), "ok");
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(status_code(), TZP_OK);
    EXPECT_EQ(status_code(), TZP_OK);
    // One wait for the answer that never comes, within the limit; then none.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(3 * tz::test::kTestIoTimeoutMs));
}

}  // namespace
