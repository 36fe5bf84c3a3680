// Listing and selecting printers, against virtual printers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "library_session.h"
#include "printer_farm.h"
#include "usbctrl/sdkusb.h"

namespace {

using tz::test::control;
using tz::test::eventually;
using tz::test::my_context;
using tz::test::my_job;
using tz::test::OpenLibrary;
using tz::test::PrinterFarm;

std::string serial_at(const char* serials, int i) { return std::string(serials + 8 * i, 8); }

TEST(Discovery, TwoPrintersAreListedInDeviceOrderThenFF) {
    PrinterFarm farm;
    farm.add("SN000002");
    farm.add("SN000001");
    OpenLibrary library;
    ASSERT_TRUE(library.ok()) << library.code();

    uint8_t indexes[128];
    ASSERT_EQ(tzpusb_listupPrinter(indexes), 2);
    for (int i = 2; i < 128; ++i) EXPECT_EQ(indexes[i], 0xFF);
    char serials[1024];
    ASSERT_EQ(tzpusb_listupPrinterSN(serials), 2);
    EXPECT_EQ(serial_at(serials, 0), "SN000001");  // device number 0
    EXPECT_EQ(serial_at(serials, 1), "SN000002");
    for (int i = 16; i < 1024; ++i) ASSERT_EQ(static_cast<uint8_t>(serials[i]), 0xFF) << i;

    // The indexes are device-table indexes: selecting one talks to that printer.
    uint16_t code = 0xFFFF;
    EXPECT_EQ(tzpusb_selectPrinter(indexes[1], &code), indexes[1]);
    EXPECT_EQ(code, TZP_OK);
    char* selected = tzpusb_selectPrinterSN(nullptr, &code);
    EXPECT_EQ(std::string(selected, 8), "SN000002");
}

TEST(Discovery, ForeignDeviceIsClosedAgainAndNotListed) {
    PrinterFarm farm;
    farm.add("SN000001");
    farm.add("SN000002", 0x1234, 0x5A17);  // another maker's device
    farm.add("SN000003");
    OpenLibrary library;
    ASSERT_TRUE(library.ok());
    char serials[1024];
    ASSERT_EQ(tzpusb_listupPrinterSN(serials), 2);
    EXPECT_EQ(serial_at(serials, 0), "SN000001");
    EXPECT_EQ(serial_at(serials, 1), "SN000003");
    // The USB control library no longer has the foreign device open.
    EXPECT_EQ(SDKUsb_CheckDeviceName(1), -1);
    EXPECT_NE(SDKUsb_CheckDeviceName(0), -1);
    EXPECT_NE(SDKUsb_CheckDeviceName(2), -1);
}

TEST(Discovery, OnePrinterIsSelectedAtOpen) {
    PrinterFarm farm;
    farm.add("SN000001");
    OpenLibrary library;
    ASSERT_TRUE(library.ok());
    EXPECT_EQ(my_context().selection.index(), 0);
    EXPECT_NE(my_context().selection.load().write_pipe, -1);
    EXPECT_NE(my_context().selection.load().read_pipe, -1);
    uint8_t indexes[128];
    EXPECT_EQ(tzpusb_listupPrinter(indexes), 1);
    EXPECT_EQ(indexes[0], 0);
    // The serial is only recorded by a select by serial (or a refresh).
    uint16_t code = 0xFFFF;
    EXPECT_EQ(std::string(tzpusb_selectPrinterSN(nullptr, &code), 8), "SN000001");
    EXPECT_EQ(code, TZP_OK);
}

TEST(Discovery, SelectingWhatIsNotThereGives1008AndKeepsTheSelection) {
    PrinterFarm farm;
    farm.add("SN000001");
    farm.add("SN000002");
    OpenLibrary library;
    ASSERT_TRUE(library.ok());
    uint16_t code = 0;
    char* selected = tzpusb_selectPrinterSN("SN000002", &code);
    ASSERT_EQ(code, TZP_OK);
    uint8_t index = my_context().selection.index();

    for (const char* wrong : {"SN000003", "sN000002", "SN000012"}) {
        code = 0;
        EXPECT_EQ(tzpusb_selectPrinterSN(wrong, &code), selected) << "the pointer comes back anyway";
        EXPECT_EQ(code, TZP_NOT_FOUND);
        EXPECT_EQ(my_context().selection.index(), index);
        EXPECT_EQ(std::string(selected, 8), "SN000002");
    }
    for (int wrong : {128, 200, 77, 0x100 + 77}) {
        code = 0;
        EXPECT_EQ(tzpusb_selectPrinter(wrong, &code), 255);
        EXPECT_EQ(code, TZP_NOT_FOUND);
        EXPECT_EQ(my_context().selection.index(), index);
    }
    // 255 confirms the current selection; only the low 8 bits of the index count.
    EXPECT_EQ(tzpusb_selectPrinter(255, &code), index);
    EXPECT_EQ(code, TZP_OK);
    EXPECT_EQ(tzpusb_selectPrinter(-1, &code), index);
    EXPECT_EQ(code, TZP_OK);
}

TEST(Discovery, SelectByIndexResetsTheTag20SettingSelectBySerialDoesNot) {
    PrinterFarm farm;
    farm.add("SN000001");
    OpenLibrary library;
    ASSERT_TRUE(library.ok());
    my_job().setting20 = 7;
    tzpusb_selectPrinterSN("SN000001", nullptr);
    EXPECT_EQ(my_job().setting20, 7);
    tzpusb_selectPrinter(0, nullptr);
    EXPECT_EQ(my_job().setting20, 2);
}

TEST(Discovery, WithNothingSelectedConfirmingGives1008AndListsAreEmptyWhenAllAreGone) {
    PrinterFarm farm;
    auto& printer = farm.add("SN000001");
    OpenLibrary library;
    ASSERT_TRUE(library.ok());
    ASSERT_EQ(control(printer, "unplug"), "ok");
    ASSERT_TRUE(eventually([] { return my_context().selection.index() == 255; }));
    uint16_t code = 0;
    EXPECT_EQ(tzpusb_selectPrinter(255, &code), 255);
    EXPECT_EQ(code, TZP_NOT_FOUND);
    uint8_t indexes[128];
    EXPECT_EQ(tzpusb_listupPrinter(indexes), 0);
    for (uint8_t b : indexes) EXPECT_EQ(b, 0xFF);
    char serials[1024];
    EXPECT_EQ(tzpusb_listupPrinterSN(serials), 0);
}

TEST(Discovery, ListingFromAnotherThreadUsesTheFirstContext) {
    PrinterFarm farm;
    farm.add("SN000001");
    OpenLibrary library;
    ASSERT_TRUE(library.ok());
    uint16_t count = 0;
    tz::test::on_other_thread([&] { count = tzpusb_listupPrinter(nullptr) + 0; });
    EXPECT_EQ(count, 0);  // a null list is refused
    tz::test::on_other_thread([&] {
        uint8_t indexes[128];
        count = tzpusb_listupPrinter(indexes);
    });
    EXPECT_EQ(count, 1);
}

}  // namespace
