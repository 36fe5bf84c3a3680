#include "post_upgrade.h"

#include <fstream>

#include "byteorder/little_endian.h"
#include "library_session.h"
#include "output.h"
#include "platform/launcher.h"
#include "platform/system_names.h"
#include "printer_versions.h"
#include "program_clock.h"
#include "tzpusb.h"

namespace tz::upgrade {
namespace {

constexpr int kToneCurveReset = 0;  // type of tzpusb_setPrinterToneCurve: back to the factory curve
constexpr int kToneCurveCount = 4;
constexpr int64_t kBeforeToneCurveMs = 2000;
constexpr int64_t kAfterToneCurveMs = 200;

constexpr int kParameterAttempts = 4;
constexpr int64_t kParameterRetryMs = 500;
constexpr int64_t kReadyPollMs = 1000;

// The hand-off: a one-line script in the pattern folder of the package, run
// by the package's launcher script, both of the system's kind (.bat, .sh).
constexpr char kHandOffScript[] = "TZ5170_LM_Patterns_for_panoramic/Sandtexture_2464x3720_V1";
constexpr char kHandOffArguments[] = " Sandtexture_2464x3720_V1.ini ";
constexpr char kLaminateProgram[] = "TZ5170Laminate";
constexpr char kLauncher[] = "LamiImageDl";
constexpr int64_t kNextPrinterMs = 10000;

bool reset_tone_curves() {
    const ProgramClock& clock = program_clock();
    for (int kind = 1; kind <= kToneCurveCount; ++kind) {
        clock.sleep_ms(kBeforeToneCurveMs);
        uint16_t code = 0;
        if (tzpusb_setPrinterToneCurve(kToneCurveReset, kind, nullptr, &code) != 1) return false;
        clock.sleep_ms(kAfterToneCurveMs);
    }
    return true;
}

void print_entry(const EngineRecord& record, size_t offset) {
    FirmwareEntry entry = entry_at(record, offset);
    say("Program Name  = %.8s\n", entry.name.c_str());
    say("Program Type  = %.16s\n", entry.type.c_str());
    say("Create Date   = %.10s\n", entry.date.c_str());
    say("Version       = %.2x.%.2x \n", entry.version.major, entry.version.minor);
}

// Codes of a printer that will be ready soon.
bool getting_ready(uint16_t code) {
    return code == 2101 || code == 2102 || code == 2103 || code == 2107 || code == 1500;
}

bool wait_until_ready(const DensitySetting& setting, int64_t limit_ms) {
    const ProgramClock& clock = program_clock();
    int64_t start = clock.now_ms();
    for (;;) {
        uint16_t code = 0;
        tzpusb_status(&code);
        say(setting.checking, code);
        if (!getting_ready(code)) {
            say("\n");
            return true;
        }
        if (clock.now_ms() - start > limit_ms) {
            say("\n");
            return false;
        }
        clock.sleep_ms(kReadyPollMs);
    }
}

// Up to four attempts, 500 ms apart.
template <typename Call>
bool with_retries(Call call) {
    for (int attempt = 1; attempt <= kParameterAttempts; ++attempt) {
        if (call()) return true;
        if (attempt < kParameterAttempts) program_clock().sleep_ms(kParameterRetryMs);
    }
    return false;
}

bool read_parameter(int number, int32_t& value) {
    return with_retries([&] {
        uint8_t bytes[4] = {};
        uint16_t code = 0;
        if (tzpusb_getParameter(number, bytes, &code) != 1) return false;
        value = static_cast<int32_t>(read_le32(bytes));
        return true;
    });
}

bool write_parameter(int number, int32_t value) {
    return with_retries([&] {
        uint16_t code = 0;
        return tzpusb_setParameter(number, value, &code) == 1;
    });
}

bool set_density(const DensitySetting& setting, int64_t ready_limit_ms) {
    if (!wait_until_ready(setting, ready_limit_ms)) return false;
    int32_t value = 0;
    bool already = read_parameter(setting.parameter, value) && value == setting.target;
    if (!already && !write_parameter(setting.parameter, setting.target)) return false;
    return read_parameter(setting.parameter, value) && value == setting.target;
}

}  // namespace

void report_completion(const UpgradeConfig& config, const std::string& serial) {
    LibrarySession session;
    if (session.open_and_select(serial) != SessionStart::Ready) return;
    if (config.tone_curve_reset == 0 && !reset_tone_curves()) {
        say("Failure to reset tonecurve.\n");
        return;
    }
    EngineRecord record{};
    if (!read_engine_record(record)) {
        say("PINFTAG_ENGID information acquisition failure.\n");
        return;
    }
    say("verifying the information on the upgraded firmware.\n\n");
    say("----- MAIN -----\n");
    print_entry(record, kMainEntryOffset);
    say("\n");
    say("----- DSP -----\n");
    print_entry(record, kDspEntryOffset);
    say("\n");
    say("----- USB -----\n");
    print_entry(record, kUsbEntryOffset);
    say("\n");
    say("----- TABLE -----\n");
    print_entry(record, kTableEntryOffset);
}

bool density_needed(const DensitySetting& setting, VersionPair before, VersionPair after) {
    return before.value() < setting.crossing && after.value() >= setting.crossing;
}

bool apply_density_settings(LibrarySession& session, VersionPair before, VersionPair after, int64_t ready_limit_ms) {
    for (const DensitySetting& setting : {kLowPan, kYmcPan}) {
        if (!density_needed(setting, before, after)) {
            say("%s", setting.not_needed);
            continue;
        }
        if (set_density(setting, ready_limit_ms)) {
            say(setting.initialized, setting.target);
        } else {
            say("%s", setting.cannot);
            say(setting.set_by_hand, setting.target);
            session.close();
            return false;
        }
    }
    session.close();
    return true;
}

bool hand_off_wanted(VersionPair threshold, VersionPair before, VersionPair after, bool main_downloaded) {
    return before < threshold && main_downloaded && !(after < threshold);
}

void print_hand_off_versions(VersionPair threshold, VersionPair before, VersionPair after) {
    say("\n");
    say("Ini(Main) Version = %02X.%02X \n", threshold.major, threshold.minor);
    say("Printer(Main) Version [Before update] = %02X.%02X \n", before.major, before.minor);
    say("Printer(Main) Version [After update]  = %02X.%02X \n", after.major, after.minor);
}

bool serial_fits_script(const std::string& serial) {
    if (serial.empty()) return false;
    for (char c : serial) {
        bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        bool digit = c >= '0' && c <= '9';
        if (!letter && !digit) return false;
    }
    return true;
}

bool hand_off_laminate(const std::string& serial, bool another_printer_follows) {
    bool written = false;
    if (serial_fits_script(serial)) {
        std::ofstream script(platform::script_file(kHandOffScript), std::ios::binary | std::ios::trunc);
        script << platform::program_file(kLaminateProgram) << kHandOffArguments << serial;
        script.close();
        written = !script.fail();
    }
    if (!written) {
        say("\n");
        say("BAT file creation error.\n");
        return false;
    }
    say("\n");
    say("Donwload Laminate Image.\n");
    platform::start_script(platform::script_file(kLauncher));  // its outcome is the launcher's business
    if (another_printer_follows) count_down(kNextPrinterMs, "Waiting for preparation to download to the next printer.");
    say("\n");
    return true;
}

}  // namespace tz::upgrade
