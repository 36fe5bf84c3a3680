// After the last tzpusb_close nothing of the library or the USB control
// library is left in the process, whatever happened before; a thread that ends
// without closing gives its slot back.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "core/status_monitor.h"
#include "library_session.h"
#include "printer_farm.h"

namespace {

namespace fs = std::filesystem;
using tz::test::control;
using tz::test::eventually;
using tz::test::my_context;
using tz::test::OpenLibrary;
using tz::test::PrinterFarm;
using tz::test::status_code;

struct Footprint {
    size_t descriptors = 0, threads = 0, mutex_mappings = 0;
    std::string names;
    bool operator==(const Footprint& o) const {
        return descriptors == o.descriptors && threads == o.threads && mutex_mappings == o.mutex_mappings;
    }
};

std::ostream& operator<<(std::ostream& out, const Footprint& f) {
    return out << f.descriptors << " descriptors, " << f.threads << " threads, " << f.mutex_mappings
               << " mutex mappings:" << f.names;
}

Footprint footprint() {
    Footprint f;
    for (auto it = fs::directory_iterator("/proc/self/fd"); it != fs::directory_iterator(); ++it) {
        ++f.descriptors;
        std::error_code ec;
        f.names += " " + it->path().filename().string() + "->" + fs::read_symlink(it->path(), ec).string();
    }
    for (auto it = fs::directory_iterator("/proc/self/task"); it != fs::directory_iterator(); ++it) ++f.threads;
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);)
        if (line.find("tz5170-mutex") != std::string::npos) ++f.mutex_mappings;
    return f;
}

// The footprint is read from /proc (Linux; under wine it would be wine's own).
#if defined(_WIN32)
#define SKIP_WITHOUT_PROC() GTEST_SKIP() << "no /proc of the program's own to count descriptors and threads in"
#else
#define SKIP_WITHOUT_PROC() \
    if (!fs::exists("/proc/self/fd")) GTEST_SKIP() << "no /proc to count descriptors and threads in"
#endif

// The printers' own connection threads end a moment after the library hangs up.
void expect_back_to(const Footprint& baseline) {
    EXPECT_TRUE(eventually([&] { return footprint() == baseline; }, std::chrono::milliseconds(3000)))
        << "before: " << baseline << "; after: " << footprint();
}

TEST(Leftovers, NoneAfterGlitchesTimeOutsAndUnplugs) {
    SKIP_WITHOUT_PROC();
    PrinterFarm farm;
    auto& printer = farm.add("SN000001");
    farm.add("SN000002");
    const Footprint baseline = footprint();
    {
        OpenLibrary library;
        ASSERT_TRUE(library.ok());
        char serials[1024];
        for (int i = 0; i < 3; ++i) {  // quick glitches of the selected printer
            ASSERT_EQ(control(printer, "unplug"), "ok");
            ASSERT_EQ(control(printer, "replug"), "ok");
            tzpusb_listupPrinterSN(serials);
            tzpusb_selectPrinterSN("SN000001", nullptr);
        }
        ASSERT_EQ(control(printer, "hang"), "ok");  // a read given up: its pipe is never closed by the library
        EXPECT_EQ(status_code(), TZP_USB_ERROR);
        ASSERT_EQ(control(printer, "unplug"), "ok");
        ASSERT_EQ(control(printer, "resume"), "ok");
        ASSERT_EQ(control(printer, "replug"), "ok");
        ASSERT_EQ(tzpusb_listupPrinterSN(serials), 2);
    }
    expect_back_to(baseline);
}

TEST(Leftovers, NoneAfterALongUnplugWithFourThreads) {
    SKIP_WITHOUT_PROC();
    PrinterFarm farm;
    auto& printer = farm.add("SN000001");
    const Footprint baseline = footprint();
    ASSERT_TRUE(tz::test::at_least_slots(4));
    std::atomic<bool> unplugged_long{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            uint16_t code = 0;
            ASSERT_EQ(tzpusb_open(&code), 1) << code;
            while (!unplugged_long) status_code();
            // Back again: found and selected anew by each thread.
            char serials[1024];
            EXPECT_TRUE(eventually([&] {
                tzpusb_listupPrinterSN(serials);
                tzpusb_selectPrinterSN("SN000001", nullptr);
                return status_code() == TZP_OK;
            }));
            tzpusb_close();
        });
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ASSERT_EQ(control(printer, "unplug"), "ok");
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    ASSERT_EQ(control(printer, "replug"), "ok");
    unplugged_long = true;
    for (auto& thread : threads) thread.join();
    expect_back_to(baseline);
}

TEST(ThreadEnd, AThreadThatEndsWithoutClosingGivesItsSlotBack) {
    PrinterFarm farm;
    farm.add("SN000001");
    ASSERT_TRUE(tz::test::at_least_slots(2));
    OpenLibrary library;
    ASSERT_TRUE(library.ok());
    // Selecting assigns a slot; the thread ends holding it and the printer.
    std::thread([] {
        uint16_t code = 0xFFFF;
        EXPECT_EQ(tzpusb_selectPrinter(0, &code), 0);
        auto mutex = tz::lib::device_table()[0].mutex();
        ASSERT_TRUE(mutex);
        EXPECT_EQ(mutex->wait(500), tz::platform::WaitResult::Obtained);  // as an open page does
    }).join();
    uint16_t attached = 0;
    tzpusb_AttachThreadCount(&attached, nullptr);
    EXPECT_EQ(attached, 1);
    // Its printer was given back by its end: the next operation is told and goes ahead.
    EXPECT_EQ(status_code(), TZP_PRINTER_IN_USE);
    EXPECT_EQ(status_code(), TZP_OK);
    std::thread([] {
        uint16_t code = 0xFFFF;
        EXPECT_EQ(tzpusb_open(&code), 1);
        EXPECT_EQ(code, TZP_OK);
        tzpusb_close();
    }).join();
}

TEST(ThreadEnd, TheLastThreadToEndReleasesEverything) {
    PrinterFarm farm;
    farm.add("SN000001");
    std::thread([] {
        uint16_t code = 0xFFFF;
        EXPECT_EQ(tzpusb_open(&code), 1);
    }).join();
    EXPECT_FALSE(tz::lib::status_monitor().running());
    EXPECT_EQ(tz::lib::context_table().contexts[0].load(), nullptr);
    uint16_t code = 0xFFFF;
    EXPECT_EQ(tzpusb_ReleaseThread(&code), 1);
    EXPECT_EQ(code, TZP_OK);
}

}  // namespace
