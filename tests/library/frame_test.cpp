// Opening and closing the library, thread slots and contexts, against
// virtual printers.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "core/status_monitor.h"
#include "library_session.h"
#include "printer_farm.h"

namespace {

using tz::test::my_context;
using tz::test::on_other_thread;
using tz::test::OpenLibrary;
using tz::test::PrinterFarm;

TEST(LibraryFrame, CallsWithoutAContextGive1501AndNothing) {
    PrinterFarm farm;
    farm.add("SN000001");
    uint16_t code = 0;
    EXPECT_EQ(tzpusb_selectPrinter(0, &code), 255);
    EXPECT_EQ(code, TZP_NO_CONTEXT);
    code = 0;
    EXPECT_EQ(tzpusb_selectPrinterSN("SN000001", &code), nullptr);
    EXPECT_EQ(code, TZP_NO_CONTEXT);
    uint8_t indexes[128];
    std::memset(indexes, 0, sizeof indexes);
    EXPECT_EQ(tzpusb_listupPrinter(indexes), 0);
    for (uint8_t b : indexes) EXPECT_EQ(b, 0xFF);
    char serials[1024] = {};
    EXPECT_EQ(tzpusb_listupPrinterSN(serials), 0);
    EXPECT_EQ(static_cast<uint8_t>(serials[1023]), 0xFF);
    // Null result pointers are allowed.
    EXPECT_EQ(tzpusb_selectPrinter(0, nullptr), 255);
    tzpusb_close();  // the select calls gave this thread a slot; give it back
    uint16_t attached = 9, slots = 9;
    EXPECT_EQ(tzpusb_AttachThreadCount(&attached, &slots), 1);
    EXPECT_EQ(attached, 0);
}

TEST(LibraryFrame, SecondThreadGetsASlotOnlyAfterMakeThread) {
    if (tz::test::slot_count() != 1) GTEST_SKIP() << "needs a process whose slot count was never widened";
    PrinterFarm farm;
    farm.add("SN000001");
    OpenLibrary library;
    ASSERT_TRUE(library.ok()) << library.code();
    EXPECT_EQ(library.code(), TZP_OK);

    on_other_thread([] {
        uint16_t code = 0;
        EXPECT_EQ(tzpusb_open(&code), 0);
        EXPECT_EQ(code, TZP_NO_CONTEXT);
        tzpusb_close();
    });
    ASSERT_EQ(tzpusb_MakeThread(2), 1);

    char* mine = tzpusb_selectPrinterSN(nullptr, nullptr);
    uint16_t attached = 0, slots = 0;
    std::thread other([&] {
        uint16_t code = 0xFFFF;
        ASSERT_EQ(tzpusb_open(&code), 1);
        EXPECT_EQ(code, TZP_OK);
        char* theirs = tzpusb_selectPrinterSN(nullptr, &code);
        EXPECT_NE(theirs, nullptr);
        EXPECT_NE(theirs, mine);  // a context of its own
        EXPECT_EQ(code, TZP_OK);
        EXPECT_EQ(std::memcmp(theirs, "SN000001", 8), 0);
        EXPECT_EQ(tzpusb_AttachThreadCount(&attached, &slots), 1);
        tzpusb_close();
    });
    other.join();
    EXPECT_EQ(attached, 2);
    EXPECT_EQ(slots, 2);
}

TEST(LibraryFrame, MakeThreadOnlyWidensUpTo100) {
    PrinterFarm farm;
    farm.add("SN000001");
    OpenLibrary library;
    ASSERT_TRUE(library.ok());
    int now = tz::test::slot_count();
    ASSERT_LT(now, 97);
    EXPECT_EQ(tzpusb_MakeThread(now), 1);  // the current count with its contexts: nothing to do
    EXPECT_EQ(tzpusb_MakeThread(now + 2), 1);
    EXPECT_EQ(tzpusb_MakeThread(now + 1), 0);
    EXPECT_EQ(tzpusb_MakeThread(101), 0);
    EXPECT_EQ(tzpusb_MakeThread(0x10000 + now + 2), 1);  // only the low 16 bits count
    EXPECT_EQ(tz::test::slot_count(), now + 2);
    EXPECT_NE(tz::lib::context_table().contexts[now + 1].load(), nullptr);
    EXPECT_EQ(tz::lib::context_table().contexts[now + 2].load(), nullptr);
}

TEST(LibraryFrame, ReleaseIsRefusedWhileAThreadIsAttached) {
    PrinterFarm farm;
    farm.add("SN000001");
    {
        OpenLibrary library;
        ASSERT_TRUE(library.ok());
        uint16_t code = 0;
        EXPECT_EQ(tzpusb_ReleaseThread(&code), 0);
        EXPECT_EQ(code, TZP_THREADS_ATTACHED);
        EXPECT_NE(tz::lib::context_table().contexts[0].load(), nullptr);
    }
    uint16_t code = 0xFFFF;
    EXPECT_EQ(tzpusb_ReleaseThread(&code), 1);
    EXPECT_EQ(code, TZP_OK);
}

TEST(LibraryFrame, CloseThenOpenStartsAfresh) {
    PrinterFarm farm;
    farm.add("SN000001");
    {
        OpenLibrary library;
        ASSERT_TRUE(library.ok());
    }
    EXPECT_EQ(tz::lib::context_table().contexts[0].load(), nullptr);
    EXPECT_FALSE(tz::lib::status_monitor().running());
    farm.add("SN000002");
    OpenLibrary again;
    ASSERT_TRUE(again.ok());
    char serials[1024];
    EXPECT_EQ(tzpusb_listupPrinterSN(serials), 2);  // the new enumeration sees the second printer
}

TEST(LibraryFrame, OpenWithoutPrinterGives1004AndALaterOpenRetries) {
    PrinterFarm farm;
    {
        OpenLibrary library;
        EXPECT_FALSE(library.ok());
        EXPECT_EQ(library.code(), TZP_NO_PRINTER);
    }
    farm.add("SN000001");
    OpenLibrary again;
    EXPECT_TRUE(again.ok());
    EXPECT_EQ(again.code(), TZP_OK);
    EXPECT_EQ(my_context().selection.index(), 0);
}

TEST(LibraryFrame, OpenTwiceOnOneThreadFindsEverythingInPlace) {
    PrinterFarm farm;
    farm.add("SN000001");
    OpenLibrary library;
    ASSERT_TRUE(library.ok());
    tz::lib::PrinterContext* first = tz::lib::calling_context();
    uint16_t code = 0xFFFF;
    EXPECT_EQ(tzpusb_open(&code), 1);
    EXPECT_EQ(code, TZP_OK);
    EXPECT_EQ(tz::lib::calling_context(), first);
    uint16_t attached = 0;
    tzpusb_AttachThreadCount(&attached, nullptr);
    EXPECT_EQ(attached, 1);
}

TEST(LibraryFrame, DownloadContextsDoNotNeedTheColourLibrary) {
    PrinterFarm farm;
    farm.add("SN000001");
    uint16_t code = 0xFFFF;
    ASSERT_EQ(tzpusb_openDownload(5, &code), 1);
    EXPECT_EQ(code, TZP_OK);
    EXPECT_NE(tz::lib::download_session(my_context()).transfer, nullptr);
    EXPECT_FALSE(tz::test::my_print().color.loaded());
    tzpusb_close();
}

TEST(LibraryFrame, CloseFromTheLastThreadReturnsAfterTheMonitorEnded) {
    PrinterFarm farm;
    farm.add("SN000001");
    {
        OpenLibrary library;
        ASSERT_TRUE(library.ok());
        EXPECT_TRUE(tz::lib::status_monitor().running());
        std::thread other([] {
            tz::test::at_least_slots(2);
            uint16_t code;
            tzpusb_open(&code);
            tzpusb_close();  // not the last: the monitor goes on
        });
        other.join();
        EXPECT_TRUE(tz::lib::status_monitor().running());
    }
    EXPECT_FALSE(tz::lib::status_monitor().running());
}

}  // namespace
