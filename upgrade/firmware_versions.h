// Firmware versions: the pair a printer entry or a file carries, how two are
// compared, the version readers of the four part files with their error
// numbers, and the threshold texts of the laminate hand-off.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tz::upgrade {

struct VersionPair {
    uint8_t major = 0;
    uint8_t minor = 0;

    // a.b as the number a * 256 + b.
    uint16_t value() const { return static_cast<uint16_t>(major << 8 | minor); }
    friend bool operator<(VersionPair a, VersionPair b) { return a.value() < b.value(); }
    friend bool operator==(VersionPair a, VersionPair b) = default;
};

enum class FirmwareFile { Usb, Main, Dsp, Table };

// Error numbers of the readers: 1..4 the first of the four version characters
// (MAIN, DSP) that is no hexadecimal digit; 5 the file cannot be read or is
// too short to hold its version.
inline constexpr int kVersionFileError = 5;

struct FileVersion {
    int error = 0;  // 0 when `version` was read
    VersionPair version;
};

// The version held in the first bytes of a part file (`bytes` may be the
// whole file or any beginning of it that reaches the version).
FileVersion parse_file_version(FirmwareFile file, std::span<const uint8_t> bytes);
// The version of the part file at `path`.
FileVersion read_file_version(FirmwareFile file, const std::string& path);

// 0..15 for a hexadecimal digit, -1 for anything else.
int hex_digit_value(char c);

// A threshold text (MainFwVersionMajor / MainFwVersionMinor): its first two
// characters as hexadecimal digits, first most significant; 0 when either is
// no hexadecimal digit (the end of the text included).
uint8_t threshold_value(const std::string& text);

}  // namespace tz::upgrade
