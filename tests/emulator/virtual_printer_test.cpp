// The virtual printer as a running service: state file, sockets, control commands.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "emulator/virtual_printer.h"
#include "printer_farm.h"
#include "temp_folder.h"

namespace {

using tz::emulator::PrinterOptions;
using tz::emulator::VirtualPrinter;
using tz::test::control;
using tz::test::TempFolder;
namespace fs = std::filesystem;

PrinterOptions options_in(const TempFolder& folder, const std::string& serial, const std::string& state = "") {
    PrinterOptions options;
    options.folder = folder.path();
    options.serial = serial;
    options.state_file = state;
    return options;
}

TEST(VirtualPrinter, SerialIsKeptInTheStateFileAcrossRestarts) {
    TempFolder folder;
    std::string state = folder.file("printer.json");
    {
        VirtualPrinter printer(options_in(folder, "KEEPME01", state));
        std::string error;
        ASSERT_TRUE(printer.start(&error)) << error;
    }
    VirtualPrinter again(options_in(folder, "", state));
    std::string error;
    ASSERT_TRUE(again.start(&error)) << error;
    EXPECT_EQ(again.serial(), "KEEPME01");
    EXPECT_TRUE(fs::exists(folder.file("KEEPME01.sock")));
}

TEST(VirtualPrinter, RefusesBadSerialsAndBrokenStateFiles) {
    TempFolder folder;
    for (const char* serial : {"SHORT", "TOOLONG123", "../../x1", "SN 00001"}) {
        VirtualPrinter printer(options_in(folder, serial));
        std::string error;
        EXPECT_FALSE(printer.start(&error)) << serial;
        EXPECT_FALSE(error.empty());
    }
    std::string broken = folder.file("broken.json");
    std::ofstream(broken) << "{ \"serial\": ";
    VirtualPrinter printer(options_in(folder, "", broken));
    std::string error;
    EXPECT_FALSE(printer.start(&error));
    EXPECT_NE(error.find("broken.json"), std::string::npos);

    std::string wrong_type = folder.file("wrong.json");
    std::ofstream(wrong_type) << "{ \"serial\": 12345678 }";
    VirtualPrinter other(options_in(folder, "", wrong_type));
    EXPECT_FALSE(other.start(&error));
}

TEST(VirtualPrinter, UnplugRemovesTheSocketFileAndReplugBringsItBack) {
    TempFolder folder;
    VirtualPrinter printer(options_in(folder, "SN000009"));
    std::string error;
    ASSERT_TRUE(printer.start(&error)) << error;
    EXPECT_EQ(control(printer, "info"), "ok serial=SN000009 plugged=1 hanging=0 connections=0");
    EXPECT_EQ(control(printer, "unplug"), "ok");
    EXPECT_FALSE(fs::exists(printer.socket_path()));
    EXPECT_EQ(control(printer, "info"), "ok serial=SN000009 plugged=0 hanging=0 connections=0");
    EXPECT_EQ(control(printer, "replug"), "ok");
    EXPECT_TRUE(fs::exists(printer.socket_path()));
    printer.stop();
    EXPECT_FALSE(fs::exists(printer.socket_path()));
    EXPECT_FALSE(fs::exists(printer.control_path()));
}

TEST(VirtualPrinter, ControlSocketAnswersEveryLineAndRejectsNonsense) {
    TempFolder folder;
    VirtualPrinter printer(options_in(folder, "SN000009"));
    std::string error;
    ASSERT_TRUE(printer.start(&error)) << error;
    EXPECT_EQ(control(printer, "hang"), "ok");
    EXPECT_TRUE(printer.model().hanging());
    EXPECT_EQ(control(printer, "resume"), "ok");
    EXPECT_FALSE(printer.model().hanging());
    EXPECT_EQ(control(printer, "explode"), "error: unknown command explode");
    EXPECT_EQ(control(printer, "hang now"), "error: hang takes no arguments");
    EXPECT_EQ(control(printer, ""), "error: empty command");
    // A line that never ends is cut off instead of growing without limit.
    EXPECT_EQ(control(printer, std::string(10000, 'x')).rfind("error", 0), 0u);
    EXPECT_EQ(control(printer, "info").rfind("ok", 0), 0u);
}

}  // namespace
