#include "firmware_versions.h"

#include <array>
#include <fstream>
#include <vector>

namespace tz::upgrade {
namespace {

// Where each part file keeps its version.
constexpr size_t kUsbVersionOffset = 49114;   // two raw bytes
constexpr size_t kMainVersionOffset = 26;     // four hexadecimal characters
constexpr size_t kDspVersionOffset = 61344;   // four hexadecimal characters
constexpr size_t kTableVersionOffset = 26;    // four bytes, low nibble first
constexpr size_t kHexVersionSize = 4;
constexpr size_t kUsbVersionSize = 2;

size_t version_offset(FirmwareFile file) {
    switch (file) {
        case FirmwareFile::Usb: return kUsbVersionOffset;
        case FirmwareFile::Main: return kMainVersionOffset;
        case FirmwareFile::Dsp: return kDspVersionOffset;
        case FirmwareFile::Table: return kTableVersionOffset;
    }
    return 0;
}

size_t version_size(FirmwareFile file) { return file == FirmwareFile::Usb ? kUsbVersionSize : kHexVersionSize; }

// Four hexadecimal characters: major from the first two, minor from the last two.
FileVersion hex_version(std::span<const uint8_t> field) {
    std::array<int, kHexVersionSize> digits{};
    for (size_t i = 0; i < kHexVersionSize; ++i) {
        digits[i] = hex_digit_value(static_cast<char>(field[i]));
        if (digits[i] < 0) return {static_cast<int>(i) + 1, {}};
    }
    return {0, {static_cast<uint8_t>(digits[0] * 16 + digits[1]), static_cast<uint8_t>(digits[2] * 16 + digits[3])}};
}

}  // namespace

int hex_digit_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

FileVersion parse_file_version(FirmwareFile file, std::span<const uint8_t> bytes) {
    size_t offset = version_offset(file);
    if (bytes.size() < offset + version_size(file)) return {kVersionFileError, {}};
    auto field = bytes.subspan(offset, version_size(file));
    switch (file) {
        case FirmwareFile::Usb:
            return {0, {field[0], field[1]}};
        case FirmwareFile::Main:
        case FirmwareFile::Dsp:
            return hex_version(field);
        case FirmwareFile::Table:
            // No check: each byte is taken as it is.
            return {0, {static_cast<uint8_t>(field[1] * 16 + field[0]),
                        static_cast<uint8_t>(field[3] * 16 + field[2])}};
    }
    return {kVersionFileError, {}};
}

FileVersion read_file_version(FirmwareFile file, const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {kVersionFileError, {}};
    std::vector<uint8_t> head(version_offset(file) + version_size(file));
    in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(in.gcount()));
    return parse_file_version(file, head);
}

uint8_t threshold_value(const std::string& text) {
    int high = text.size() > 0 ? hex_digit_value(text[0]) : -1;
    int low = text.size() > 1 ? hex_digit_value(text[1]) : -1;
    if (high < 0 || low < 0) return 0;
    return static_cast<uint8_t>(high * 16 + low);
}

}  // namespace tz::upgrade
