// What a printer keeps across power cycles, and its JSON state file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace tz::emulator {

inline constexpr size_t kFirmwareEntryCount = 7;
// Entry 1 (1-based) is the MAIN board's boot firmware: its program name tells the board.
inline constexpr size_t kBootEntry = 1;
// Entries (1-based) that the firmware parts rewrite.
inline constexpr size_t kMainEntry = 2;
inline constexpr size_t kDspEntry = 4;
inline constexpr size_t kUsbEntry = 6;
inline constexpr size_t kTableEntry = 7;

// The firmware parts the printer rewrites.
enum class FirmwarePart { Dsp, Main, Table, Usb };
inline constexpr size_t kFirmwarePartCount = 4;

struct FirmwareEntry {
    std::string name;  // program name, up to 8 characters
    std::string type;  // program type, up to 16 characters
    std::string date;  // creation date, up to 10 characters
    uint8_t major = 0;
    uint8_t minor = 0;
    uint16_t value = 0;  // 16-bit sum of the installed image
};

struct ErrorLogEntry {
    uint8_t group = 0;
    uint8_t detail = 0;
    uint8_t detail2 = 0;
    uint32_t prints = 0;  // the print counter when it happened (24 bits are reported)
};
inline constexpr size_t kErrorLogCapacity = 10;

// The laminate pattern is large; the printer remembers which one it has.
struct LaminatePattern {
    bool custom = false;  // false: the factory pattern
    uint32_t size = 0;
    uint32_t crc32 = 0;
};

inline constexpr size_t kToneCurveBytes = 1536;  // 768 values, most significant byte first
inline constexpr size_t kEepromSize = 1024;

using ToneCurveKey = std::pair<int, int>;  // curve type 1..2, curve kind 1..4

struct PrinterState {
    std::string serial;  // 8 characters
    std::array<FirmwareEntry, kFirmwareEntryCount> firmware;
    std::map<uint8_t, int32_t> parameters;
    std::map<ToneCurveKey, std::vector<uint8_t>> tone_curves;  // only curves that differ from the factory curve
    LaminatePattern laminate;
    std::vector<ErrorLogEntry> error_log;  // newest first
    uint32_t prints = 0;                   // pages printed in the printer's life
    std::vector<uint8_t> eeprom;

    // The factory state: firmware as shipped, parameters at their factory values.
    PrinterState();
};

// The tone curve a printer leaves the factory with.
std::vector<uint8_t> factory_tone_curve();

// Reads `path`; a missing file gives the defaults (false only for a file
// that exists but cannot be read or parsed, with the reason in `error`).
bool load_state(const std::string& path, PrinterState& state, std::string* error);
// Writes `path` in one step (a temporary file renamed over it). Nothing to do for an empty path.
bool save_state(const std::string& path, const PrinterState& state);

}  // namespace tz::emulator
