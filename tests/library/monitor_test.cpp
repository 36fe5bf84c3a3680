// The status monitor noticing printers that have gone, against virtual printers.
#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <string>

#include "core/acquisition.h"
#include "core/status_monitor.h"
#include "library_session.h"
#include "printer_farm.h"

namespace {

using tz::test::control;
using tz::test::eventually;
using tz::test::my_context;
using tz::test::OpenLibrary;
using tz::test::PrinterFarm;

TEST(StatusMonitor, UnpluggedSelectedPrinterIsDeselectedWithinASecond) {
    PrinterFarm farm;
    auto& printer = farm.add("SN000001");
    OpenLibrary library;
    ASSERT_TRUE(library.ok());
    ASSERT_EQ(my_context().selection.index(), 0);

    auto unplugged = std::chrono::steady_clock::now();
    ASSERT_EQ(control(printer, "unplug"), "ok");
    ASSERT_TRUE(eventually([] { return my_context().selection.index() == 255; }));
    // A pass every 200 ms: well within a second on a quiet machine; the
    // bound leaves room for a loaded one.
    EXPECT_LT(std::chrono::steady_clock::now() - unplugged, std::chrono::milliseconds(3000));
    EXPECT_EQ(my_context().selection.load().write_pipe, -1);
    EXPECT_EQ(my_context().selection.load().read_pipe, -1);

    tz::lib::PrinterHold hold;
    EXPECT_EQ(tz::lib::acquire_printer(my_context(), hold), TZP_NOT_RECOGNISED);
    EXPECT_FALSE(hold.held());
}

TEST(StatusMonitor, SelectedPrinterSweptFirstIsStillDeselected) {
    PrinterFarm farm;
    auto& printer = farm.add("SN000001");
    OpenLibrary library;
    ASSERT_TRUE(library.ok());
    intptr_t write_pipe = my_context().selection.load().write_pipe;
    ASSERT_NE(write_pipe, -1);
    {
        // Holding the library lock keeps the monitor's own passes out.
        std::lock_guard guard(tz::lib::library_lock());
        ASSERT_EQ(control(printer, "unplug"), "ok");
        // The sweep can see the printer gone before the presence check does.
        tz::lib::sweep_devices(my_context());
        EXPECT_FALSE(tz::lib::device_table()[0].in_use());
        tz::lib::check_presence(my_context());
    }
    EXPECT_EQ(my_context().selection.index(), 255);
    EXPECT_EQ(my_context().selection.load().write_pipe, -1);
    EXPECT_EQ(tz::lib::device_table()[0].write_pipe(), -1);
}

TEST(StatusMonitor, UnpluggedUnselectedPrinterLeavesTheNextList) {
    PrinterFarm farm;
    farm.add("SN000001");
    auto& second = farm.add("SN000002");
    OpenLibrary library;
    ASSERT_TRUE(library.ok());
    char serials[1024];
    ASSERT_EQ(tzpusb_listupPrinterSN(serials), 2);
    ASSERT_EQ(control(second, "unplug"), "ok");
    // The sweep closes its table entry; the selection of printer 0 stays.
    ASSERT_TRUE(eventually([] { return !tz::lib::device_table()[1].in_use(); }));
    EXPECT_EQ(my_context().selection.index(), 0);
    ASSERT_EQ(tzpusb_listupPrinterSN(serials), 1);
    EXPECT_EQ(std::string(serials, 8), "SN000001");
}

TEST(StatusMonitor, PrinterThatComesBackIsFoundByTheNextList) {
    PrinterFarm farm;
    auto& printer = farm.add("SN000001");
    OpenLibrary library;
    ASSERT_TRUE(library.ok());
    ASSERT_EQ(control(printer, "unplug"), "ok");
    ASSERT_TRUE(eventually([] { return my_context().selection.index() == 255; }));
    ASSERT_EQ(control(printer, "replug"), "ok");
    char serials[1024];
    ASSERT_EQ(tzpusb_listupPrinterSN(serials), 1);
    uint16_t code = 0xFFFF;
    tzpusb_selectPrinterSN("SN000001", &code);
    EXPECT_EQ(code, TZP_OK);
    tz::lib::PrinterHold hold;
    EXPECT_EQ(tz::lib::acquire_printer(my_context(), hold), TZP_OK);
}

}  // namespace
