// Printers that leave the bus and come back while the library stays open: they
// are found and selected again, and a selection never reaches another printer.
#include <gtest/gtest.h>

#include <mutex>
#include <string>

#include "core/library_state.h"
#include "library_session.h"
#include "printer_farm.h"

namespace {

using tz::test::control;
using tz::test::eventually;
using tz::test::my_context;
using tz::test::OpenLibrary;
using tz::test::PrinterFarm;
using tz::test::status_code;
using tz::test::select_serial;
using tz::test::list_count;

TEST(Reconnect, QuickUnplugAndReplugOfTheSelectedPrinter) {
    PrinterFarm farm;
    auto& printer = farm.add("SN000001");
    OpenLibrary library;
    ASSERT_TRUE(library.ok());
    {
        // Faster than any monitor pass: the library lock keeps them out.
        std::lock_guard guard(tz::lib::library_lock());
        ASSERT_EQ(control(printer, "unplug"), "ok");
        EXPECT_EQ(list_count(), 0);
        EXPECT_EQ(select_serial("SN000001"), TZP_NOT_FOUND);
        EXPECT_EQ(status_code(), TZP_NOT_RECOGNISED);
        ASSERT_EQ(control(printer, "replug"), "ok");
        EXPECT_EQ(list_count(), 1);
        EXPECT_EQ(select_serial("SN000001"), TZP_OK);
    }
    EXPECT_EQ(status_code(), TZP_OK);
}

TEST(Reconnect, UnplugWithoutAListCallIsNeverSelectedAsPresent) {
    PrinterFarm farm;
    auto& printer = farm.add("SN000001");
    OpenLibrary library;
    ASSERT_TRUE(library.ok());
    std::lock_guard guard(tz::lib::library_lock());
    ASSERT_EQ(control(printer, "unplug"), "ok");
    ASSERT_TRUE(eventually([] { return select_serial("SN000001") == TZP_NOT_FOUND; }));
    uint16_t code = 0xFFFF;
    EXPECT_EQ(tzpusb_selectPrinter(0, &code), 255);
    EXPECT_EQ(code, TZP_NOT_FOUND);
}

TEST(Reconnect, PowerCycledPrinterIsListedAndSelectedAgain) {
    PrinterFarm farm;
    auto& printer = farm.add("SN000001");
    OpenLibrary library;
    ASSERT_TRUE(library.ok());
    ASSERT_EQ(control(printer, "unplug"), "ok");
    ASSERT_TRUE(eventually([] { return my_context().selection.index() == 255; }));
    EXPECT_EQ(status_code(), TZP_NOT_RECOGNISED);
    ASSERT_EQ(control(printer, "replug"), "ok");
    ASSERT_EQ(list_count(), 1);
    EXPECT_EQ(select_serial("SN000001"), TZP_OK);
    EXPECT_EQ(status_code(), TZP_OK);
}

TEST(Reconnect, PrintersFoundAfterTheFirstEnumerationAreListedAndSelected) {
    PrinterFarm farm;
    farm.add("SN000002");
    OpenLibrary library;
    ASSERT_TRUE(library.ok());
    // Sorted first, the newcomer takes device number 0 and a new table entry.
    farm.add("SN000001");
    EXPECT_EQ(list_count(), 2);
    EXPECT_EQ(select_serial("SN000001"), TZP_OK);
    EXPECT_EQ(status_code(), TZP_OK);
    EXPECT_EQ(select_serial("SN000002"), TZP_OK);
    EXPECT_EQ(status_code(), TZP_OK);
}

TEST(Reconnect, ASelectionNeverReachesThePrinterThatTookItsEntry) {
    PrinterFarm farm;
    auto& a = farm.add("SN00000A");
    auto& b = farm.add("SN00000B");
    OpenLibrary library;
    ASSERT_TRUE(library.ok());
    ASSERT_EQ(list_count(), 2);
    ASSERT_EQ(select_serial("SN00000B"), TZP_OK);
    const uint8_t b_entry = my_context().selection.index();
    ASSERT_EQ(control(a, "state 1"), "ok");  // A answers every status with 2101
    {
        std::lock_guard guard(tz::lib::library_lock());
        ASSERT_EQ(control(a, "unplug"), "ok");
        ASSERT_EQ(control(b, "unplug"), "ok");
        ASSERT_EQ(control(b, "replug"), "ok");
        ASSERT_EQ(list_count(), 1);  // B alone: device number 0, the lowest free entry
        ASSERT_EQ(control(a, "replug"), "ok");
        ASSERT_EQ(list_count(), 2);  // A takes the entry B had
        ASSERT_EQ(tz::lib::device_table()[b_entry].serial(), (tz::lib::Serial{'S', 'N', '0', '0', '0', '0', '0', 'A'}));
        // The old selection of B is stale: nothing goes to A.
        EXPECT_EQ(status_code(), TZP_NOT_RECOGNISED);
        uint16_t code = 0xFFFF;
        EXPECT_EQ(tzpusb_blinkLED(&code), 0);
        EXPECT_EQ(code, TZP_NOT_RECOGNISED);
    }
    EXPECT_EQ(select_serial("SN00000B"), TZP_OK);
    EXPECT_NE(my_context().selection.index(), b_entry);
    EXPECT_EQ(status_code(), TZP_OK);
    EXPECT_EQ(select_serial("SN00000A"), TZP_OK);
    EXPECT_EQ(status_code(), 2101);
}

}  // namespace
