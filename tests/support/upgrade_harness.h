// TZ5170upgrade as its tests run it: firmware files made for the purpose, a
// package folder of its own with the INI file and the launcher, virtual
// printers in the test process, and the console texts the program prints.
// Runs of the rewrite-wait line are squeezed to one, and each countdown to
// one line once its seconds are seen to run down to 0.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "child_process.h"
#include "emulator/virtual_printer.h"
#include "platform/environment.h"
#include "printer_farm.h"
#include "temp_folder.h"

namespace tz::test::upgrade {

using namespace std::chrono_literals;
using tz::test::control;
using tz::test::PrinterFarm;
using tz::test::Child;
using tz::test::TempFolder;
using Bytes = std::vector<uint8_t>;

inline constexpr char kProgram[] = TZ_BIN_DIR "/TZ5170upgrade";
inline constexpr char kProgramScale[] = "0.01";
inline constexpr double kPrinterScale = 0.005;

inline constexpr char kRewriteWait[] = "Waiting for the printer to finish rewriting firmware.                     \r";
inline constexpr char kDashes[] = "----------------------------------------\n";

// ---- firmware files ----

inline Bytes body(size_t size, uint32_t seed) {
    Bytes bytes(size);
    for (uint8_t& b : bytes) {
        seed = seed * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(seed >> 24);
    }
    return bytes;
}

inline void put(Bytes& bytes, size_t offset, const char* text) { std::memcpy(bytes.data() + offset, text, std::strlen(text)); }

// MAIN: identifier at 10, the version as four hex characters at 26.
inline Bytes main_file(const char* version, size_t size = 5000) {
    Bytes bytes = body(size, 1);
    put(bytes, 10, "TZP-K2207-5");
    put(bytes, 26, version);
    return bytes;
}

// DSP: the header block at 61318.
inline Bytes dsp_file(const char* version, size_t size = 100000) {
    Bytes bytes = body(size, 2);
    put(bytes, 61328, "TZP-K2207-5");
    put(bytes, 61344, version);
    return bytes;
}

// TABLE: the version as four nibbles, low first.
inline Bytes table_file(uint8_t major, uint8_t minor) {
    Bytes bytes = body(4096, 3);
    put(bytes, 10, "TZP-K2207-5");
    bytes[26] = major & 0x0F;
    bytes[27] = major >> 4;
    bytes[28] = minor & 0x0F;
    bytes[29] = minor >> 4;
    return bytes;
}

// USB: 49152 bytes starting with 0xC2, the header block last.
inline Bytes usb_file(uint8_t major, uint8_t minor) {
    Bytes bytes = body(49152, 4);
    bytes[0] = 0xC2;
    put(bytes, 49098, "TZP-K2207-5");
    bytes[49114] = major;
    bytes[49115] = minor;
    return bytes;
}

// ---- printers ----

inline tz::emulator::PrinterOptions printer(const std::string& serial, const std::string& boot_id = {},
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
// seconds each countdown starts from (its first line may show a little less).
inline std::string squeeze(const std::string& out, const std::vector<std::pair<std::string, int>>& totals) {
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
            // The program's clock runs fast in the tests, so a loaded machine
            // may print its first line a second or two late.
            bool shape = !seconds.empty() && seconds.front() <= total && seconds.front() >= total - 3 &&
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

inline const std::pair<std::string, int> kUsbCountdown{"Waiting for the printer to finish rewriting firmware.  ", 30};
inline const std::pair<std::string, int> kRestartCountdown{"Waiting for the printer to restart.  ", 50};
inline const std::pair<std::string, int> kNextPrinterCountdown{"Waiting for preparation to download to the next printer.", 10};

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
        tz::platform::set_environment("TZ5170_UPGRADE_TIME_SCALE", kProgramScale, true);
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
        auto start = std::chrono::steady_clock::now();
        std::unique_ptr<Child> child = launch(ini, std::move(args));
        Result result = finish(*child);
        result.took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        return result;
    }

    // The program started on `ini`, for a test that acts while it runs.
    std::unique_ptr<Child> launch(const std::string& ini, std::vector<std::string> args = {"upgrade.ini"}) const {
        text("upgrade.ini", ini);
        return std::make_unique<Child>(kProgram, args, logs_, folder_.path());
    }

    static Result finish(Child& child) {
        Result result;
        result.status = child.wait(60s);
        result.out = child.out();
        result.err = child.err();
        return result;
    }

private:
    TempFolder folder_;
    TempFolder logs_;
};

inline const std::string kTitle = "TARVO 5170 Photo Printer Firmware Package Upgrade\n\n";

inline std::string listing(const std::string& usb, const std::string& main_old, const std::string& main_new,
                    const std::string& main_new2, const std::string& dsp, const std::string& table) {
    return "Lists the files used to upgrade the firmware.\n"
           "USB          : " + usb + " \n"
           "MAIN(Old PCB): " + main_old + " \n"
           "MAIN(New PCB): " + main_new + " \n"
           "MAIN(New PCB2): " + main_new2 + " \n"
           "DSP          : " + dsp + " \n"
           "TABLE        : " + table + " \n";
}

inline std::string start_lines(int printers) {
    std::string n = std::to_string(printers);
    return "\nStart download.(Number of printers connected = " + n + ")\n\nDetected " + n +
           " printer(s)\nStart downloading...\n";
}

inline std::string printer_head(int number, const std::string& serial) {
    return "\nNo" + std::to_string(number) + ".  Printer S/N = [" + serial + "] \n\n";
}

inline std::string versions(const std::string& name, const std::string& printer, const std::string& binary) {
    return std::string(kDashes) + "Printer(" + name + ") Version = " + printer + " \nBinary(" + name +
           ") Version = " + binary + " \n" + kDashes;
}

inline std::string hand_off_versions(const std::string& threshold, const std::string& before, const std::string& after) {
    return "\nIni(Main) Version = " + threshold + " \nPrinter(Main) Version [Before update] = " + before +
           " \nPrinter(Main) Version [After update]  = " + after + " \n";
}

inline const std::string kNoDensities =
    "Initialization of Density Low PAN does not need.\nInitialization of Density YMC PAN does not need.\n";
inline const std::string kLowPanOnly =
    "Checking Density Low PAN ... printer status is 0     \r\nDensity Low PAN was initialized to -10.\n"
    "Initialization of Density YMC PAN does not need.\n";
inline const std::string kNoUsb = "No usb downloadFile...\n";
inline const std::string kNoDsp = "No dsp downloadFile...\n";
inline const std::string kNoTable = "No Table downloadFile...\n";

inline std::string main_download(const std::string& board, const std::string& file) {
    return "Downloading MAIN file (" + board + ")... [" + file + "]\nSent         5000 byte(s) \r"
           "Finished.                                                  \n" + kRewriteWait + "\n\n";
}

}  // namespace tz::test::upgrade
