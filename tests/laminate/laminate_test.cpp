// TZ5170Laminate run as the upgrade program's launcher runs it: in a folder
// with its INI file and the three shared objects, against virtual printers.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "core/acquisition.h"
#include "core/library_state.h"
#include "printer_farm.h"
#include "tzpusb.h"

namespace tz::test {
namespace {

using namespace std::chrono_literals;

const std::string kBin = TZ_BIN_DIR;

const std::string kVersionReport =
    "---------------------------------------- \n"
    "TZ5170upgrade.dll     File Version = " TZ_VERSION " \n"
    "TZ5170UsbCtrl.dll     File Version = " TZ_VERSION " \n"
    "TZ5170ColorMatch.dll  File Version = " TZ_VERSION " \n"
    "---------------------------------------- \n";

const std::string kUpdateHeader =
    "\n"
    "---------------------------------------\n"
    "         Set Laminate Pattern          \n"
    "---------------------------------------\n"
    "\n";

// The program's current folder: the INI file and what it names, and links
// to the shared objects it loads from there.
class WorkFolder {
public:
    // With the real library and its two neighbours, or with `upgrade_library`
    // as libTZ5170upgrade.so, or with no library when that is empty.
    explicit WorkFolder(const std::string& upgrade_library = kBin + "/libTZ5170upgrade.so") {
        namespace fs = std::filesystem;
        if (upgrade_library.empty()) return;
        fs::create_symlink(upgrade_library, folder_.file("libTZ5170upgrade.so"));
        for (const char* name : {"libTZ5170UsbCtrl.so", "libTZ5170ColorMatch.so"})
            fs::create_symlink(kBin + "/" + name, folder_.file(name));
    }
    void write(const std::string& name, const std::string& content) const {
        std::ofstream(folder_.file(name), std::ios::binary) << content;
    }
    const std::string& path() const { return folder_.path(); }
    std::string file(const std::string& name) const { return folder_.file(name); }

    // Starts the program in this folder with no input.
    std::unique_ptr<Child> start(const std::vector<std::string>& args) const {
        std::vector<std::string> words{"-c", "cd \"$0\" && exec \"$@\" </dev/null", path(), kBin + "/TZ5170Laminate"};
        words.insert(words.end(), args.begin(), args.end());
        return std::make_unique<Child>("/bin/sh", words, folder_);
    }
    // Runs the program to its end; its standard output.
    std::string run(const std::vector<std::string>& args) const {
        std::unique_ptr<Child> child = start(args);
        EXPECT_EQ(child->wait(60s), 0) << child->err();
        EXPECT_EQ(child->err(), "");
        return child->out();
    }

private:
    TempFolder folder_;
};

std::string pattern_of_size(size_t size) {
    std::string pattern(size, '\0');
    for (size_t i = 0; i < size; ++i) pattern[i] = static_cast<char>(i * 7);
    return pattern;
}

TEST(Laminate, WithoutTwoArgumentsAsksForAKeyAndPrintsNothingElse) {
    WorkFolder folder;
    EXPECT_EQ(folder.run({}), "Argument error.\n\n\nHit any key please");
    EXPECT_EQ(folder.run({"pattern.ini"}), "Argument error.\n\n\nHit any key please");
}

TEST(Laminate, NoTargetEndsBeforeTheLibraryIsLoaded) {
    WorkFolder folder("");  // a library would be refused
    folder.write("pattern.ini", "[LAMINATE]\nPATTERN=pattern.bin\nTARGET=409\n");  // low byte 153
    EXPECT_EQ(folder.run({"pattern.ini", "TZ000101"}), kVersionReport + "Can not get target of INI File.\n");
    EXPECT_EQ(folder.run({"missing.ini", "TZ000101"}), kVersionReport + "Can not get target of INI File.\n");
}

TEST(Laminate, Target16SendsThePatternToTheChosenPrinter) {
    PrinterFarm farm;
    farm.add("TZ000101");
    emulator::VirtualPrinter& chosen = farm.add("TZ000102");
    WorkFolder folder;
    folder.write("pattern.ini", "[laminate]\npattern=pattern.bin\ntarget=16\n");
    folder.write("pattern.bin", pattern_of_size(9166080));
    EXPECT_EQ(folder.run({"pattern.ini", "TZ000102", "ignored"}),
              kVersionReport + "\n" + kUpdateHeader + "tzpusb_update_laminate OK  = 0\n");
    EXPECT_TRUE(chosen.model().state().laminate.custom);
    EXPECT_EQ(chosen.model().state().laminate.size, 9166080u);
}

TEST(Laminate, ShortOrEmptySerialSelectsNoPrinter) {
    PrinterFarm farm;
    farm.add("TZ000101");
    WorkFolder folder;
    folder.write("pattern.ini", "[LAMINATE]\nPATTERN=pattern.bin\nTARGET=16\n");
    const std::string expected = kVersionReport + "Can not select the Printer. Error = 1008 \n";
    EXPECT_EQ(folder.run({"pattern.ini", "TZ0001"}), expected);
    EXPECT_EQ(folder.run({"pattern.ini", ""}), expected);
}

// The printer answers slowly and reports a download until the test puts it
// right, just after the third status inquiry has been answered.
TEST(Laminate, WaitsWhileThePrinterDownloadsOnOneConsoleLine) {
    PrinterFarm farm;
    emulator::VirtualPrinter& printer = farm.add("TZ000101");
    WorkFolder folder;
    folder.write("pattern.ini", "[LAMINATE]\nPATTERN=empty.bin\nTARGET=16\n");
    folder.write("empty.bin", "");
    ASSERT_EQ(control(printer, "state 7"), "ok");
    ASSERT_EQ(control(printer, "delay 400"), "ok");
    std::unique_ptr<Child> child = folder.start({"pattern.ini", "TZ000101"});
    // Each answer is made when the inquiry arrives and sent 400 ms later: the
    // third is on its way once the second line is out.
    const auto limit = std::chrono::steady_clock::now() + 30s;
    auto status_lines = [&child] {
        const std::string out = child->out();
        return std::count(out.begin(), out.end(), '\r');
    };
    while (status_lines() < 2 && std::chrono::steady_clock::now() < limit) std::this_thread::sleep_for(2ms);
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(control(printer, "state clear"), "ok");
    EXPECT_EQ(control(printer, "delay 0"), "ok");
    ASSERT_EQ(child->wait(60s), 0);
    const std::string line = "tzpusb_status function failed  Error = 2107 \r";
    // An empty pattern is announced and acknowledged, but no data follows: a
    // failure with code 0.
    EXPECT_EQ(child->out(), kVersionReport + "\n" + line + line + line + kUpdateHeader +
                                "tzpusb_update_laminate function failed = 0 (The printer is a ready state.)\n");
}

TEST(Laminate, PrinterHeldByAnotherProcessFailsWith1500) {
    PrinterFarm farm;
    farm.add("TZ000101");
    uint16_t code = 0;
    ASSERT_EQ(tzpusb_open(&code), 1) << code;
    tzpusb_selectPrinterSN("TZ000101", &code);
    ASSERT_EQ(code, 0);
    {
        lib::PrinterHold hold;
        const lib::ResultCode held = lib::acquire_printer(*lib::calling_context(), hold);
        ASSERT_TRUE(hold.held()) << held;
        WorkFolder folder;
        folder.write("pattern.ini", "[LAMINATE]\nPATTERN=pattern.bin\nTARGET=16\n");
        folder.write("pattern.bin", pattern_of_size(9166080));
        // The status inquiry gives 1500 too, which ends the wait.
        EXPECT_EQ(folder.run({"pattern.ini", "TZ000101"}),
                  kVersionReport + "\n" + kUpdateHeader +
                      "tzpusb_update_laminate function failed = 1500 (Refer to QRM4-X2209B)\n");
    }
    tzpusb_close();
}

TEST(Laminate, LibraryMissingOrLackingANameIsRefused) {
    for (const std::string& library : {std::string(), std::string(TZ_INCOMPLETE_UPGRADE)}) {
        SCOPED_TRACE(library.empty() ? "no library" : library);
        WorkFolder folder(library);
        folder.write("pattern.ini", "[LAMINATE]\nPATTERN=pattern.bin\nTARGET=16\n");
        EXPECT_EQ(folder.run({"pattern.ini", "TZ000101"}), kVersionReport + "TZPUSB DLL Load Failed Error \n");
    }
}

}  // namespace
}  // namespace tz::test
