// The upgrade program's settings: every key of its INI file with its
// default, the check of the named files at start and the listing of them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "firmware_versions.h"
#include "platform/profile_ini.h"

namespace tz::upgrade {

inline constexpr char kNoFile[] = "None";
// The longest path the system opens.
inline constexpr size_t kPathLimit = 4095;
// The longest wait [TIME] may ask for: an hour.
inline constexpr int32_t kLongestWaitMs = 3'600'000;

struct PartFile {
    std::string path = kNoFile;  // as long as the INI file gives it
    uint64_t length = 0;         // filled by the start-up check
    uint8_t reset = 0;           // low 8 bits of RESET (not used for USB)

    bool named() const { return path != kNoFile; }
};

// The four waits that have an effect are kept within 0 .. kLongestWaitMs.
struct TimeSettings {
    int32_t usb_wait_ms = 30000;    // countdown after a USB download
    int32_t main_wait_ms = 60000;   // the following six are read and have no effect
    int32_t dsp_wait_ms = 30000;
    int32_t table_wait_ms = 10000;
    int32_t status_ms = 120000;
    int32_t usb_time_out = 120;
    int32_t main_time_out = 0;      // read and divided by 1000, as the others below
    int32_t dsp_time_out = 0;
    int32_t table_time_out = 0;
    int32_t disp_wait_ms = 1000;    // pause at the end of the run, on every path
    // Upper limits of the waits that depend on the printer: a rewrite to finish
    // and the printer to become ready before a density setting.
    int32_t rewrite_limit_ms = 600000;
    int32_t ready_limit_ms = 600000;
};

struct UpgradeConfig {
    PartFile usb;
    PartFile main_old;
    PartFile dsp;
    PartFile table;
    PartFile main_new;
    PartFile main_new2;
    uint8_t tone_curve_reset = 1;  // 0: reset the tone curves after a complete upgrade
    TimeSettings time;
    int32_t force_download = 0;    // exactly 1 downloads every part that has a file
    std::string threshold_major = "0";
    std::string threshold_minor = "0";
    // One line for each setting whose text was not taken as it stands.
    std::vector<std::string> notes;

    bool forced() const { return force_download == 1; }
    VersionPair laminate_threshold() const {
        return {threshold_value(threshold_major), threshold_value(threshold_minor)};
    }
};

UpgradeConfig read_upgrade_config(const platform::ProfileIni& ini);

// A wait of [TIME] in milliseconds, read as integers are (an optional sign,
// then the leading digits) and kept within 0 .. kLongestWaitMs. When the
// text is not a plain number in that range, `note` names the key, the text
// and the value used.
int32_t wait_from_text(const char* key, const std::string& text, std::string& note);

// Opens each named file and records its length, in the order USB, MAIN (old,
// new, new 2), DSP, TABLE. A path longer than the system takes, a file that
// cannot be opened, a USB file too short
// to carry its 64-byte header block, and a file longer than its download can
// announce (USB 65,535 bytes, the others 4 GiB - 1) are reported and give
// false: the program then ends without touching a printer.
bool check_part_files(UpgradeConfig& config);

// "Lists the files used to upgrade the firmware." and one line per part.
void print_file_listing(const UpgradeConfig& config);

}  // namespace tz::upgrade
