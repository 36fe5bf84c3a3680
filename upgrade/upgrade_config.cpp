#include "upgrade_config.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "output.h"

namespace tz::upgrade {
namespace {

constexpr size_t kThresholdChars = 259;
constexpr size_t kWholeText = static_cast<size_t>(-1);
constexpr uint64_t kUsbHeaderBlock = 64;  // sent first; a shorter file cannot be sent
constexpr uint64_t kUsbLongest = 0xFFFF;   // the USB download announces a 16-bit length
constexpr uint64_t kLongest = 0xFFFFFFFF;  // the others a 32-bit one

PartFile read_part(const platform::ProfileIni& ini, const char* section, bool has_reset) {
    PartFile part;
    part.path = ini.text(section, "FILEPATH", kNoFile, kWholeText);
    if (has_reset) part.reset = static_cast<uint8_t>(ini.integer(section, "RESET", 0));
    return part;
}

// Opens the file and takes its length; false when it cannot be opened.
bool measure(PartFile& part) {
    std::ifstream in(part.path, std::ios::binary | std::ios::ate);
    if (!in) return false;
    auto end = in.tellg();
    if (end < 0) return false;
    part.length = static_cast<uint64_t>(end);
    return true;
}

}  // namespace

UpgradeConfig read_upgrade_config(const platform::ProfileIni& ini) {
    UpgradeConfig config;
    config.usb = read_part(ini, "USB", false);
    config.main_old = read_part(ini, "MAIN_OLDPCB", true);
    config.main_new = read_part(ini, "MAIN_NEWPCB", true);
    config.main_new2 = read_part(ini, "MAIN_NEWPCB2", true);
    config.dsp = read_part(ini, "DSP", true);
    config.table = read_part(ini, "TABLE", true);
    config.tone_curve_reset = static_cast<uint8_t>(ini.integer("TONECURVE", "RESET", 1));

    TimeSettings& time = config.time;
    auto wait = [&](const char* key, int32_t fallback) {
        const std::string text = ini.text("TIME", key, "", kWholeText);
        if (text.empty()) return fallback;
        std::string note;
        int32_t value = wait_from_text(key, text, note);
        if (!note.empty()) config.notes.push_back(note);
        return value;
    };
    time.usb_wait_ms = wait("USB_WAIT_TIME", 30000);
    time.main_wait_ms = ini.integer("TIME", "MAIN_WAIT_TIME", 60000);
    time.dsp_wait_ms = ini.integer("TIME", "DSP_WAIT_TIME", 30000);
    time.table_wait_ms = ini.integer("TIME", "TABLE_WAIT_TIME", 10000);
    time.disp_wait_ms = wait("DISP_WAIT_TIME", 1000);
    time.status_ms = ini.integer("TIME", "STATUS_TIME", 120000);
    time.usb_time_out = ini.integer("TIME", "USB_TIME_OUT", 120);
    time.main_time_out = ini.integer("TIME", "MAIN_TIME_OUT", 120) / 1000;
    time.dsp_time_out = ini.integer("TIME", "DSP_TIME_OUT", 120) / 1000;
    time.table_time_out = ini.integer("TIME", "TABLE_TIME_OUT", 120) / 1000;
    time.rewrite_limit_ms = wait("REWRITE_LIMIT", 600000);
    time.ready_limit_ms = wait("READY_LIMIT", 600000);

    config.force_download = ini.integer("Force_FW_Download", "ForceDownlload", 0);
    config.threshold_major = ini.text("Laminate_Image_Download", "MainFwVersionMajor", "0", kThresholdChars);
    config.threshold_minor = ini.text("Laminate_Image_Download", "MainFwVersionMinor", "0", kThresholdChars);
    return config;
}

int32_t wait_from_text(const char* key, const std::string& text, std::string& note) {
    const bool digits = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
    int64_t used = 0;
    if (digits) {
        // Beyond the range it is the longest wait, not what 32 bits wrap it to.
        for (char c : text) used = std::min<int64_t>(used * 10 + (c - '0'), kLongestWaitMs + 1);
        if (used <= kLongestWaitMs) return static_cast<int32_t>(used);
        used = kLongestWaitMs;
    } else {
        used = std::clamp<int64_t>(platform::parse_profile_integer(text), 0, kLongestWaitMs);
    }
    char line[160];
    std::snprintf(line, sizeof line, "[TIME] %s = \"%.40s\" is not a number of milliseconds from 0 to %d; %d is used.\n",
                  key, text.c_str(), kLongestWaitMs, static_cast<int>(used));
    note = line;
    return static_cast<int32_t>(used);
}

bool check_part_files(UpgradeConfig& config) {
    struct Check {
        PartFile& part;
        const char* size_error;
        uint64_t shortest;
        uint64_t longest;
    };
    // The USB file goes out header block first; without a whole block there is
    // nothing to send. A file longer than its announcement can tell is not sent.
    const Check checks[] = {
        {config.usb, "USB program file size error.\n", kUsbHeaderBlock, kUsbLongest},
        {config.main_old, "MAIN program (OLD PCB) file size error.\n", 0, kLongest},
        {config.main_new, "MAIN program (NEW PCB) file size error.\n", 0, kLongest},
        {config.main_new2, "MAIN program (NEW PCB2) file size error.\n", 0, kLongest},
        {config.dsp, "DSP program file size error.\n", 0, kLongest},
        {config.table, "TABLE program file size error.\n", 0, kLongest},
    };
    for (const Check& check : checks) {
        if (!check.part.named()) continue;
        if (check.part.path.size() > kPathLimit) {
            say("The path of this file is too long (%zu characters; at most %zu).\n", check.part.path.size(), kPathLimit);
            say("%s", check.size_error);
            return false;
        }
        if (!measure(check.part)) {
            say("File Data Open Error \n ");
            say("%s", check.size_error);
            return false;
        }
        if (check.part.length < check.shortest || check.part.length > check.longest) {
            say("%s", check.size_error);
            return false;
        }
    }
    return true;
}

void print_file_listing(const UpgradeConfig& config) {
    say("Lists the files used to upgrade the firmware.\n");
    say("USB          : %s \n", config.usb.path.c_str());
    say("MAIN(Old PCB): %s \n", config.main_old.path.c_str());
    say("MAIN(New PCB): %s \n", config.main_new.path.c_str());
    say("MAIN(New PCB2): %s \n", config.main_new2.path.c_str());
    say("DSP          : %s \n", config.dsp.path.c_str());
    say("TABLE        : %s \n", config.table.path.c_str());
}

}  // namespace tz::upgrade
