// TZ5170upgrade end to end: the program run in a package folder of its own
// against virtual printers in the test process, its console text checked
// line for line. Runs of the rewrite-wait line are squeezed to one, and each
// countdown to one line once its seconds are seen to run down to 0.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "child_process.h"
#include "emulator/printer_state.h"
#include "printer_farm.h"
#include "temp_folder.h"

namespace {

using namespace std::chrono_literals;
using tz::test::control;
using tz::test::PrinterFarm;
using tz::test::TempFolder;
using Bytes = std::vector<uint8_t>;

constexpr char kProgram[] = TZ_BIN_DIR "/TZ5170upgrade";
constexpr char kProgramScale[] = "0.01";
constexpr double kPrinterScale = 0.005;

constexpr char kRewriteWait[] = "Waiting for the printer to finish rewriting firmware.                     \r";
constexpr char kDashes[] = "----------------------------------------\n";

// ---- firmware files ----

Bytes body(size_t size, uint32_t seed) {
    Bytes bytes(size);
    for (uint8_t& b : bytes) {
        seed = seed * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(seed >> 24);
    }
    return bytes;
}

void put(Bytes& bytes, size_t offset, const char* text) { std::memcpy(bytes.data() + offset, text, std::strlen(text)); }

// MAIN: identifier at 10, the version as four hex characters at 26.
Bytes main_file(const char* version, size_t size = 5000) {
    Bytes bytes = body(size, 1);
    put(bytes, 10, "TZP-K2207-5");
    put(bytes, 26, version);
    return bytes;
}

// DSP: the header block at 61318.
Bytes dsp_file(const char* version, size_t size = 100000) {
    Bytes bytes = body(size, 2);
    put(bytes, 61328, "TZP-K2207-5");
    put(bytes, 61344, version);
    return bytes;
}

// TABLE: the version as four nibbles, low first.
Bytes table_file(uint8_t major, uint8_t minor) {
    Bytes bytes = body(4096, 3);
    put(bytes, 10, "TZP-K2207-5");
    bytes[26] = major & 0x0F;
    bytes[27] = major >> 4;
    bytes[28] = minor & 0x0F;
    bytes[29] = minor >> 4;
    return bytes;
}

// USB: 49152 bytes starting with 0xC2, the header block last.
Bytes usb_file(uint8_t major, uint8_t minor) {
    Bytes bytes = body(49152, 4);
    bytes[0] = 0xC2;
    put(bytes, 49098, "TZP-K2207-5");
    bytes[49114] = major;
    bytes[49115] = minor;
    return bytes;
}

// ---- printers ----

tz::emulator::PrinterOptions printer(const std::string& serial, const std::string& boot_id = {},
                                     const std::string& state_file = {}, double scale = kPrinterScale) {
    tz::emulator::PrinterOptions options;
    options.serial = serial;
    options.boot_id = boot_id;
    options.state_file = state_file;
    options.time_scale = scale;
    return options;
}

// ---- output ----

// Squeezes the rewrite-wait lines and the countdowns. `totals` gives the
// seconds each countdown starts from (its first line may show one less).
std::string squeeze(const std::string& out, const std::vector<std::pair<std::string, int>>& totals) {
    const std::string wait = kRewriteWait;
    std::string result;
    size_t i = 0;
    while (i < out.size()) {
        if (out.compare(i, wait.size(), wait) == 0) {
            result += wait;
            while (out.compare(i, wait.size(), wait) == 0) i += wait.size();
            continue;
        }
        bool counted = false;
        for (const auto& [text, total] : totals) {
            std::string head = text + "Remaining ";
            if (out.compare(i, head.size(), head) != 0) continue;
            std::vector<int> seconds;
            while (out.compare(i, head.size(), head) == 0) {
                size_t end = out.find(" sec.  \r", i + head.size());
                if (end == std::string::npos) break;
                seconds.push_back(std::atoi(out.c_str() + i + head.size()));
                i = end + 8;
            }
            bool shape = !seconds.empty() && (seconds.front() == total || seconds.front() == total - 1) &&
                         seconds.back() == 0;
            for (size_t k = 1; k < seconds.size(); ++k) shape = shape && seconds[k] <= seconds[k - 1];
            result += head + (shape ? std::to_string(total) + "..0" : "(bad countdown)") + " sec.  \r";
            counted = true;
            break;
        }
        if (!counted) result += out[i++];
    }
    return result;
}

const std::pair<std::string, int> kUsbCountdown{"Waiting for the printer to finish rewriting firmware.  ", 30};
const std::pair<std::string, int> kRestartCountdown{"Waiting for the printer to restart.  ", 50};
const std::pair<std::string, int> kNextPrinterCountdown{"Waiting for preparation to download to the next printer.", 10};

struct Result {
    int status = -1;
    std::string out;
    std::string err;
    std::chrono::milliseconds took{};
};

// A firmware package folder: the files, the INI, the laminate pattern folder
// and a launcher that records what the hand-off script holds.
class Package {
public:
    Package() {
        std::filesystem::create_directory(folder_.file("TZ5170_LM_Patterns_for_panoramic"));
        text("LamiImageDl.sh", "cat TZ5170_LM_Patterns_for_panoramic/Sandtexture_2464x3720_V1.sh > launched.txt\n");
        ::setenv("TZ5170_UPGRADE_TIME_SCALE", kProgramScale, 1);
    }

    void file(const std::string& name, const Bytes& bytes) const {
        std::ofstream(folder_.file(name), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                                 static_cast<std::streamsize>(bytes.size()));
    }
    void text(const std::string& name, const std::string& content) const {
        std::ofstream(folder_.file(name)) << content;
    }
    std::string read(const std::string& name) const { return tz::test::read_file(folder_.file(name)); }
    bool exists(const std::string& name) const { return std::filesystem::exists(folder_.file(name)); }
    std::string path() const { return folder_.path(); }

    Result run(const std::string& ini, std::vector<std::string> args = {"upgrade.ini"}) const {
        text("upgrade.ini", ini);
        auto start = std::chrono::steady_clock::now();
        tz::test::Child child(kProgram, args, logs_, folder_.path());
        Result result;
        result.status = child.wait(60s);
        result.took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        result.out = child.out();
        result.err = child.err();
        return result;
    }

private:
    TempFolder folder_;
    TempFolder logs_;
};

const std::string kTitle = "TARVO 5170 Photo Printer Firmware Package Upgrade\n\n";

std::string listing(const std::string& usb, const std::string& main_old, const std::string& main_new,
                    const std::string& main_new2, const std::string& dsp, const std::string& table) {
    return "Lists the files used to upgrade the firmware.\n"
           "USB          : " + usb + " \n"
           "MAIN(Old PCB): " + main_old + " \n"
           "MAIN(New PCB): " + main_new + " \n"
           "MAIN(New PCB2): " + main_new2 + " \n"
           "DSP          : " + dsp + " \n"
           "TABLE        : " + table + " \n";
}

std::string start_lines(int printers) {
    std::string n = std::to_string(printers);
    return "\nStart download.(Number of printers connected = " + n + ")\n\nDetected " + n +
           " printer(s)\nStart downloading...\n";
}

std::string printer_head(int number, const std::string& serial) {
    return "\nNo" + std::to_string(number) + ".  Printer S/N = [" + serial + "] \n\n";
}

std::string versions(const std::string& name, const std::string& printer, const std::string& binary) {
    return std::string(kDashes) + "Printer(" + name + ") Version = " + printer + " \nBinary(" + name +
           ") Version = " + binary + " \n" + kDashes;
}

std::string hand_off_versions(const std::string& threshold, const std::string& before, const std::string& after) {
    return "\nIni(Main) Version = " + threshold + " \nPrinter(Main) Version [Before update] = " + before +
           " \nPrinter(Main) Version [After update]  = " + after + " \n";
}

const std::string kNoDensities =
    "Initialization of Density Low PAN does not need.\nInitialization of Density YMC PAN does not need.\n";
const std::string kLowPanOnly =
    "Checking Density Low PAN ... printer status is 0     \r\nDensity Low PAN was initialized to -10.\n"
    "Initialization of Density YMC PAN does not need.\n";
const std::string kNoUsb = "No usb downloadFile...\n";
const std::string kNoDsp = "No dsp downloadFile...\n";
const std::string kNoTable = "No Table downloadFile...\n";

std::string main_download(const std::string& board, const std::string& file) {
    return "Downloading MAIN file (" + board + ")... [" + file + "]\nSent         5000 byte(s) \r"
           "Finished.                                                  \n" + kRewriteWait + "\n\n";
}

// ---- tests ----

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

// A rewrite that does not finish within TIME/REWRITE_LIMIT fails like a lost
// printer; a printer that does not get ready within TIME/READY_LIMIT fails
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
                                               kRewriteWait);
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
