// TZ5170upgrade end to end: the program run in a package folder of its own
// against virtual printers in the test process, its console text checked
// line for line.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "emulator/printer_state.h"
#include "upgrade_harness.h"

namespace {

using namespace std::chrono_literals;
using namespace tz::test::upgrade;
using tz::test::control;
using tz::test::PrinterFarm;

TEST(UpgradeRun, StartUpChecksComeBeforeAnyPrinter) {
    PrinterFarm farm;
    Package package;
    Result bare = package.run("", {});
    EXPECT_EQ(bare.status, 0);
    EXPECT_EQ(bare.out, "");

    // A file that cannot be opened ends the program at once.
    package.file("usb.bin", usb_file(1, 9));
    Result missing = package.run("[USB]\nFILEPATH=usb.bin\n[MAIN_NEWPCB]\nFILEPATH=main.bin\n");
    EXPECT_EQ(missing.status, 0);
    EXPECT_EQ(missing.out, kTitle + "File Data Open Error \n MAIN program (NEW PCB) file size error.\n");

    // A USB file without a whole 64-byte header block is refused before any
    // printer is touched.
    auto& first = farm.add(printer("TZ000101"));
    package.file("short.bin", Bytes(63, 0xC2));
    Result short_usb = package.run("[USB]\nFILEPATH=short.bin\n");
    EXPECT_EQ(short_usb.status, 0);
    EXPECT_EQ(short_usb.out, kTitle + "USB program file size error.\n");
    // Nor one longer than the 16-bit length its download announces.
    package.file("long.bin", Bytes(65536, 0xC2));
    Result long_usb = package.run("[USB]\nFILEPATH=long.bin\n");
    EXPECT_EQ(long_usb.out, kTitle + "USB program file size error.\n");
    EXPECT_EQ(control(first, "firmware USB"), "ok part=USB none");
}

// A part file whose path is longer than the old 259 characters is used; one
// longer than the system takes is refused, saying so. Garbage in [TIME] is
// named with the value used, after the title.
TEST(UpgradeRun, LongPathsAndWaitsOutsideTheirRange) {
    PrinterFarm farm;
    auto& first = farm.add(printer("TZ000101"));
    Package package;
    const std::string folder = std::string(200, 'a') + "/" + std::string(200, 'b');
    std::filesystem::create_directories(package.path() + "/" + folder);
    const std::string path = folder + "/main.bin";  // 409 characters
    package.file(path, main_file("0602"));
    Result result = package.run("[MAIN_NEWPCB]\nFILEPATH=" + path +
                                "\n[TIME]\nDISP_WAIT_TIME=-5\nREWRITE_LIMIT=99999999999\n");
    EXPECT_EQ(result.out.substr(0, result.out.find("Lists the files")),
              kTitle + "[TIME] DISP_WAIT_TIME = \"-5\" is not a number of milliseconds from 0 to 3600000; 0 is used.\n"
                       "[TIME] REWRITE_LIMIT = \"99999999999\" is not a number of milliseconds from 0 to 3600000; "
                       "3600000 is used.\n");
    EXPECT_NE(result.out.find("Downloading MAIN file (New PCB)... [" + path + "]\n"), std::string::npos);
    EXPECT_NE(control(first, "firmware MAIN").find("version=06.02"), std::string::npos);

    Result too_long = package.run("[DSP]\nFILEPATH=" + std::string(4096, 'd') + "\n");
    EXPECT_EQ(too_long.out, kTitle + "The path of this file is too long (4096 characters; at most 4095).\n"
                                     "DSP program file size error.\n");
}

// Without a printer the library does not open (1004).
TEST(UpgradeRun, NoPrinterAndNoIniFile) {
    PrinterFarm farm;
    Package package;
    Result result = package.run("", {"missing.ini"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, kTitle + listing("None", "None", "None", "None", "None", "None") +
                              "Error: Cannot open the USB port(1004)\n");
    EXPECT_EQ(result.err, "");
}

// Equal versions are skipped, also with ForceDownlload 2; only 1 forces. RESET
// 256 is 0 (no restart), RESET 1 restarts the printer.
TEST(UpgradeRun, SkipsEqualVersionsAndForcesOnlyWithOne) {
    PrinterFarm farm;
    auto& first = farm.add(printer("TZ000101"));
    Package package;
    package.file("usb.bin", usb_file(0x01, 0x04));
    package.file("main.bin", main_file("0510"));
    package.file("dsp.bin", dsp_file("0203"));
    package.file("table.bin", table_file(0x03, 0x01));
    Result skipped = package.run(
        "[USB]\nFILEPATH=usb.bin\n[MAIN_NEWPCB]\nFILEPATH=main.bin\nRESET=1\n[DSP]\nFILEPATH=dsp.bin\n"
        "[TABLE]\nFILEPATH=table.bin\n[Force_FW_Download]\nForceDownlload=2\n");
    EXPECT_EQ(skipped.status, 0);
    EXPECT_EQ(skipped.out, kTitle + listing("usb.bin", "None", "main.bin", "None", "dsp.bin", "table.bin") +
                               start_lines(1) + printer_head(1, "TZ000101") + versions("Usb", "01.04", "01.04") +
                               "Skip USB downloading... [usb.bin]\n" + versions("Main NEW", "05.10", "05.10") +
                               "Skip MAIN downloading (New PCB)... [main.bin]\n" + versions("Dsp", "02.03", "02.03") +
                               "Skip DSP downloading... [dsp.bin]\n" + versions("Table", "03.01", "03.01") +
                               "Skip Table downloading... [table.bin]\n" + "\n" + kNoDensities +
                               hand_off_versions("00.00", "05.10", "05.10"));
    EXPECT_EQ(control(first, "firmware MAIN"), "ok part=MAIN none");

    const std::string tail = "\n" + kNoDensities + hand_off_versions("00.00", "05.10", "05.10");
    Result forced = package.run("[MAIN_NEWPCB]\nFILEPATH=main.bin\nRESET=256\n[Force_FW_Download]\nForceDownlload=1\n");
    EXPECT_EQ(squeeze(forced.out, {}),
              kTitle + listing("None", "None", "main.bin", "None", "None", "None") + start_lines(1) +
                  printer_head(1, "TZ000101") + kNoUsb + versions("Main NEW", "05.10", "05.10") +
                  main_download("New PCB", "main.bin") + kNoDsp + kNoTable + tail);
    EXPECT_EQ(control(first, "firmware MAIN").substr(0, 23), "ok part=MAIN size=5000 ");

    Result restarted =
        package.run("[MAIN_NEWPCB]\nFILEPATH=main.bin\nRESET=1\n[Force_FW_Download]\nForceDownlload=1\n");
    EXPECT_EQ(squeeze(restarted.out, {kRestartCountdown}),
              kTitle + listing("None", "None", "main.bin", "None", "None", "None") + start_lines(1) +
                  printer_head(1, "TZ000101") + kNoUsb + versions("Main NEW", "05.10", "05.10") +
                  main_download("New PCB", "main.bin") + kNoDsp + kNoTable +
                  "\n\nRestart the Printer.\nWaiting for the printer to restart.  Remaining 50..0 sec.  \r" + tail);
}

// USB and MAIN downloaded, MAIN with RESET 0: the MAIN download clears the
// restart the USB one asked for.
TEST(UpgradeRun, UsbAndMainWithResetZeroDoNotRestart) {
    PrinterFarm farm;
    auto& first = farm.add(printer("TZ000101"));
    Package package;
    package.file("usb.bin", usb_file(0x01, 0x09));
    package.file("main.bin", main_file("0600"));
    Result result = package.run("[USB]\nFILEPATH=usb.bin\n[MAIN_NEWPCB]\nFILEPATH=main.bin\nRESET=0\n");
    EXPECT_EQ(result.status, 0);
    std::string sent;
    for (int piece = 1; piece <= 12; ++piece) {
        std::string count = std::to_string(piece * 4096);
        sent += "Sent " + std::string(12 - count.size(), ' ') + count + " byte(s) \r";
    }
    EXPECT_EQ(squeeze(result.out, {kUsbCountdown}),
              kTitle + listing("usb.bin", "None", "main.bin", "None", "None", "None") + start_lines(1) +
                  printer_head(1, "TZ000101") + versions("Usb", "01.04", "01.09") +
                  "Downloading USB file... [usb.bin]\n" +
                  sent + "Finished.                                                     \n" +
                  "Waiting for the printer to finish rewriting firmware.  Remaining 30..0 sec.  \r\n\n" +
                  versions("Main NEW", "05.10", "06.00") + main_download("New PCB", "main.bin") + kNoDsp + kNoTable +
                  "\n" + kNoDensities + hand_off_versions("00.00", "05.10", "06.00"));
    EXPECT_NE(control(first, "firmware USB").find("size=49152 crc32="), std::string::npos);
    EXPECT_NE(control(first, "firmware USB").find("version=01.09"), std::string::npos);
    EXPECT_NE(control(first, "firmware MAIN").find("version=06.00"), std::string::npos);
}

// All four parts: TABLE waited for as fully idle, the restart TABLE's RESET
// asks for, the tone curves reset, the completion report.
TEST(UpgradeRun, AllFourPartsResetTheToneCurvesAndReport) {
    Package package;
    tz::emulator::PrinterState state;
    state.serial = "TZ000101";
    state.tone_curves[{1, 2}] = Bytes(tz::emulator::kToneCurveBytes, 0x11);
    state.tone_curves[{2, 4}] = Bytes(tz::emulator::kToneCurveBytes, 0x22);
    std::string state_file = package.path() + "/printer.json";
    ASSERT_TRUE(tz::emulator::save_state(state_file, state));
    PrinterFarm farm;
    auto& first = farm.add(printer("TZ000101", {}, state_file));

    package.file("usb.bin", usb_file(0x01, 0x09));
    package.file("main.bin", main_file("0602"));
    package.file("dsp.bin", dsp_file("0205"));
    package.file("table.bin", table_file(0x03, 0x02));
    Result result = package.run(
        "[USB]\nFILEPATH=usb.bin\n[MAIN_NEWPCB]\nFILEPATH=main.bin\nRESET=0\n[DSP]\nFILEPATH=dsp.bin\nRESET=0\n"
        "[TABLE]\nFILEPATH=table.bin\nRESET=1\n[TONECURVE]\nRESET=0\n");
    EXPECT_EQ(result.status, 0);
    std::string out = squeeze(result.out, {kUsbCountdown, kRestartCountdown});
    std::string from_dsp = out.substr(std::min(out.size(), out.find("Printer(Dsp)") - std::strlen(kDashes)));
    EXPECT_EQ(from_dsp,
              versions("Dsp", "02.03", "02.05") + "Downloading DSP file... [dsp.bin]\nSent       100000 byte(s) \r" +
                  "Finished.                                                 \n" + kRewriteWait + "\n\n" +
                  versions("Table", "03.01", "03.02") + "Downloading TABLE file... [table.bin]\n" +
                  "Sent         4096 byte(s) \rFinished.                                                   \n" +
                  kRewriteWait + "\n\n" +
                  "\n\nRestart the Printer.\nWaiting for the printer to restart.  Remaining 50..0 sec.  \r" +
                  "Completed firmware upgrade.\n"
                  "verifying the information on the upgraded firmware.\n\n"
                  "----- MAIN -----\nProgram Name  = E0230101\nProgram Type  = MAIN            \n"
                  "Create Date   = 2020/06/15\nVersion       = 06.02 \n"
                  "\n----- DSP -----\nProgram Name  = E0230301\nProgram Type  = DSP             \n"
                  "Create Date   = 2020/05/28\nVersion       = 02.05 \n"
                  "\n----- USB -----\nProgram Name  = E0230501\nProgram Type  = USB             \n"
                  "Create Date   = 2019/09/02\nVersion       = 01.09 \n"
                  "\n----- TABLE -----\nProgram Name  = E0230601\nProgram Type  = TABLE           \n"
                  "Create Date   = 2020/06/15\nVersion       = 03.02 \n" +
                  "\n" + kLowPanOnly + hand_off_versions("00.00", "05.10", "06.02"));
    EXPECT_TRUE(first.model().state().tone_curves.empty());
}

// The board's boot firmware id picks the MAIN file: new board 2 even when the
// new board's file is named too, the old board's, none for an unknown board.
TEST(UpgradeRun, BootFirmwareIdChoosesTheMainFile) {
    PrinterFarm farm;
    auto& new2 = farm.add(printer("TZ000101", "E0242600"));
    farm.add(printer("TZ000102", "E0203300"));
    auto& unknown = farm.add(printer("TZ000103", "E9999999"));
    Package package;
    package.file("new.bin", main_file("0600"));
    package.file("new2.bin", main_file("0602"));
    package.file("old.bin", main_file("0510"));
    Result result = package.run(
        "[MAIN_NEWPCB]\nFILEPATH=new.bin\n[MAIN_NEWPCB2]\nFILEPATH=new2.bin\n[MAIN_OLDPCB]\nFILEPATH=old.bin\n");
    std::string unchanged = "\n" + kNoDensities + hand_off_versions("00.00", "05.10", "05.10");
    EXPECT_EQ(squeeze(result.out, {}),
              kTitle + listing("None", "old.bin", "new.bin", "new2.bin", "None", "None") + start_lines(3) +
                  printer_head(1, "TZ000101") + kNoUsb + versions("Main NEW2", "05.10", "06.02") +
                  main_download("New PCB2", "new2.bin") + kNoDsp + kNoTable + "\n" + kLowPanOnly +
                  hand_off_versions("00.00", "05.10", "06.02") + printer_head(2, "TZ000102") + kNoUsb +
                  versions("Main OLD", "05.10", "05.10") + "Skip MAIN downloading (Old PCB)... [old.bin]\n" + kNoDsp +
                  kNoTable + unchanged + printer_head(3, "TZ000103") + kNoUsb +
                  "\nCan't download MAIN file.\nCan't get the  MAIN BOOT firmware version ...\n" + kNoDsp + kNoTable +
                  unchanged);
    EXPECT_NE(control(new2, "firmware MAIN").find("version=06.02"), std::string::npos);
    EXPECT_EQ(control(unknown, "firmware MAIN"), "ok part=MAIN none");
}

// A version that cannot be read from a file ends the run at that part.
TEST(UpgradeRun, FilesWithoutAReadableVersionEndTheRun) {
    PrinterFarm farm;
    farm.add(printer("TZ000101"));
    farm.add(printer("TZ000102"));
    Package package;
    package.file("main.bin", main_file("0G00"));
    package.file("dsp.bin", Bytes(61347, '0'));  // ends before the version
    Result bad_digit = package.run("[MAIN_NEWPCB]\nFILEPATH=main.bin\n");
    EXPECT_EQ(bad_digit.out, kTitle + listing("None", "None", "main.bin", "None", "None", "None") + start_lines(2) +
                                 printer_head(1, "TZ000101") + kNoUsb +
                                 "Cannot get the verision from MAIN(New PCB) binary file. (2)\n");
    Result short_dsp = package.run("[DSP]\nFILEPATH=dsp.bin\n");
    EXPECT_EQ(short_dsp.out, kTitle + listing("None", "None", "None", "None", "dsp.bin", "None") + start_lines(2) +
                                 printer_head(1, "TZ000101") + kNoUsb + "No main downloadFile (New PCB)...\n" +
                                 "Cannot get the verision from DSP binary file. (5)\n");
}

tz::emulator::PrinterState printer_state(const std::string& serial, uint8_t main_major, uint8_t main_minor,
                                         std::map<uint8_t, int32_t> parameters) {
    tz::emulator::PrinterState state;
    state.serial = serial;
    state.firmware[tz::emulator::kMainEntry - 1].major = main_major;
    state.firmware[tz::emulator::kMainEntry - 1].minor = main_minor;
    for (auto [number, value] : parameters) state.parameters[number] = value;
    return state;
}

// Density Low PAN after MAIN crossed 06.01, written when it is not yet -10;
// Density YMC PAN after MAIN crossed 06.03.
TEST(UpgradeRun, DensitySettingsFollowTheMainVersions) {
    Package package;
    std::string low_state = package.path() + "/low.json";
    std::string ymc_state = package.path() + "/ymc.json";
    ASSERT_TRUE(tz::emulator::save_state(low_state, printer_state("TZ000101", 0x05, 0x10, {{142, 5}})));
    ASSERT_TRUE(tz::emulator::save_state(ymc_state, printer_state("TZ000103", 0x06, 0x01, {{143, 7}})));
    {
        PrinterFarm farm;
        auto& set = farm.add(printer("TZ000101", {}, low_state));
        auto& already = farm.add(printer("TZ000102"));
        package.file("main.bin", main_file("0602"));
        Result result = package.run("[MAIN_NEWPCB]\nFILEPATH=main.bin\n");
        std::string course = kNoUsb + versions("Main NEW", "05.10", "06.02") + main_download("New PCB", "main.bin") +
                             kNoDsp + kNoTable + "\n" + kLowPanOnly + hand_off_versions("00.00", "05.10", "06.02");
        EXPECT_EQ(squeeze(result.out, {}), kTitle + listing("None", "None", "main.bin", "None", "None", "None") +
                                               start_lines(2) + printer_head(1, "TZ000101") + course +
                                               printer_head(2, "TZ000102") + course);
        EXPECT_EQ(set.model().state().parameters.at(142), -10);
        EXPECT_EQ(already.model().state().parameters.at(142), -10);
    }
    PrinterFarm farm;
    auto& ymc = farm.add(printer("TZ000103", {}, ymc_state));
    package.file("main.bin", main_file("0605"));
    Result result = package.run("[MAIN_NEWPCB]\nFILEPATH=main.bin\n");
    EXPECT_EQ(squeeze(result.out, {}),
              kTitle + listing("None", "None", "main.bin", "None", "None", "None") + start_lines(1) +
                  printer_head(1, "TZ000103") + kNoUsb + versions("Main NEW", "06.01", "06.05") +
                  main_download("New PCB", "main.bin") + kNoDsp + kNoTable + "\n" +
                  "Initialization of Density Low PAN does not need.\n"
                  "Checking Density YMC PAN ... printer status is 0     \r\nDensity YMC PAN was initialized to 0.\n" +
                  hand_off_versions("00.00", "06.01", "06.05"));
    EXPECT_EQ(ymc.model().state().parameters.at(143), 0);
}

// MAIN raised across the threshold "06"/"00": the hand-off script and the
// launcher, a pause before the next printer; a serial that is not letters
// and digits only refuses the hand-off and ends the run, the third printer
// untouched. For the last printer there is no pause; "6" is no threshold.
TEST(UpgradeRun, LaminateHandOff) {
    Package package;
    package.file("main.bin", main_file("0600"));
    const std::string ini = "[MAIN_NEWPCB]\nFILEPATH=main.bin\n[Laminate_Image_Download]\nMainFwVersionMajor=";
    const std::string course = kNoUsb + versions("Main NEW", "05.10", "06.00") + main_download("New PCB", "main.bin") +
                               kNoDsp + kNoTable + "\n" + kNoDensities + hand_off_versions("06.00", "05.10", "06.00");
    {
        PrinterFarm farm;
        farm.add(printer("TA000101"));
        farm.add(printer("TZ00-101"));
        auto& third = farm.add(printer("TZ000103"));
        Result result = package.run(ini + "06\nMainFwVersionMinor=00\n");
        EXPECT_EQ(squeeze(result.out, {kNextPrinterCountdown}),
                  kTitle + listing("None", "None", "main.bin", "None", "None", "None") + start_lines(3) +
                      printer_head(1, "TA000101") + course + "\nDonwload Laminate Image.\n" +
                      "Waiting for preparation to download to the next printer.Remaining 10..0 sec.  \r\n" +
                      printer_head(2, "TZ00-101") + course + "\nBAT file creation error.\n");
        EXPECT_EQ(control(third, "firmware MAIN"), "ok part=MAIN none");
        EXPECT_EQ(package.read("TZ5170_LM_Patterns_for_panoramic/Sandtexture_2464x3720_V1.sh"),
                  "TZ5170Laminate Sandtexture_2464x3720_V1.ini TA000101");
        auto deadline = std::chrono::steady_clock::now() + 10s;
        while (!package.exists("launched.txt") && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(10ms);
        EXPECT_EQ(package.read("launched.txt"), "TZ5170Laminate Sandtexture_2464x3720_V1.ini TA000101");
    }
    PrinterFarm farm;
    farm.add(printer("TZ000104"));
    Result no_threshold = package.run(ini + "6\nMainFwVersionMinor=00\n");
    EXPECT_EQ(squeeze(no_threshold.out, {}),
              kTitle + listing("None", "None", "main.bin", "None", "None", "None") + start_lines(1) +
                  printer_head(1, "TZ000104") + kNoUsb + versions("Main NEW", "05.10", "06.00") +
                  main_download("New PCB", "main.bin") + kNoDsp + kNoTable + "\n" + kNoDensities +
                  hand_off_versions("00.00", "05.10", "06.00"));
    package.file("main.bin", main_file("0700"));
    Result last = package.run(ini + "07\nMainFwVersionMinor=00\n");
    EXPECT_EQ(squeeze(last.out, {}),
              kTitle + listing("None", "None", "main.bin", "None", "None", "None") + start_lines(1) +
                  printer_head(1, "TZ000104") + kNoUsb + versions("Main NEW", "06.00", "07.00") +
                  main_download("New PCB", "main.bin") + kNoDsp + kNoTable + "\n" +
                  "Checking Density Low PAN ... printer status is 0     \r\nDensity Low PAN was initialized to -10.\n"
                  "Checking Density YMC PAN ... printer status is 0     \r\nDensity YMC PAN was initialized to 0.\n" +
                  hand_off_versions("07.00", "06.00", "07.00") + "\nDonwload Laminate Image.\n\n");
    EXPECT_EQ(package.read("TZ5170_LM_Patterns_for_panoramic/Sandtexture_2464x3720_V1.sh"),
              "TZ5170Laminate Sandtexture_2464x3720_V1.ini TZ000104");
}

// A rewrite that does not finish within TIME/REWRITE_LIMIT ends the run,
// saying so; a printer that does not get ready within TIME/READY_LIMIT fails
// its density setting.
TEST(UpgradeRun, WaitsOnThePrinterHaveLimits) {
    Package package;
    package.file("main.bin", main_file("0602"));
    {
        PrinterFarm farm;
        farm.add(printer("TZ000101", {}, {}, 1.0));  // a rewrite takes 20 s
        Result result = package.run("[MAIN_NEWPCB]\nFILEPATH=main.bin\n[TIME]\nREWRITE_LIMIT=3000\n");
        EXPECT_EQ(squeeze(result.out, {}), kTitle + listing("None", "None", "main.bin", "None", "None", "None") +
                                               start_lines(1) + printer_head(1, "TZ000101") + kNoUsb +
                                               versions("Main NEW", "05.10", "06.02") +
                                               "Downloading MAIN file (New PCB)... [main.bin]\n"
                                               "Sent         5000 byte(s) \r"
                                               "Finished.                                                  \n" +
                                               kRewriteWait +
                                               "The printer did not finish rewriting the MAIN firmware within 3 sec.\n");
        EXPECT_LT(result.took, 10s);
    }
    // The printer restarts by itself after the rewrite (RESET 1) and again
    // when told to; it is still initialising (2101) when the density is due.
    PrinterFarm farm;
    farm.add(printer("TZ000102", {}, {}, 0.05));
    ::setenv("TZ5170_UPGRADE_TIME_SCALE", "0.001", 1);
    Result result =
        package.run("[MAIN_NEWPCB]\nFILEPATH=main.bin\nRESET=1\n[TIME]\nREADY_LIMIT=5000\nREWRITE_LIMIT=100000000\n");
    std::string out = squeeze(result.out, {kRestartCountdown});
    size_t density = out.find("Checking Density Low PAN");
    ASSERT_NE(density, std::string::npos) << out;
    std::string checking = "Checking Density Low PAN ... printer status is 2101     \r";
    std::string tail = out.substr(density);
    size_t checks = 0;
    while (tail.compare(0, checking.size(), checking) == 0) {
        tail.erase(0, checking.size());
        ++checks;
    }
    EXPECT_GE(checks, 2u);
    EXPECT_EQ(tail, "\nCannot initialize Density Low PAN of the printer.\n"
                    "Please set -10 to Density Low PAN by using OCP manually.\n");
}

}  // namespace
