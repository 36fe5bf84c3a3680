#include "image_layout.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace tz::firmware {

namespace {

constexpr Layout kMain{0, 10, 26, 262144};
constexpr Layout kDsp{61318, 61328, 61344, 65536};
constexpr Layout kTable{0, 10, 26, 4096};
constexpr Layout kUsb{49088, 49098, 49114, kUsbImageSize};

}  // namespace

const Layout& layout_of(Part part) {
    switch (part) {
    case Part::Main: return kMain;
    case Part::Dsp: return kDsp;
    case Part::Table: return kTable;
    case Part::Usb: return kUsb;
    }
    return kMain;
}

const char* part_name(Part part) {
    switch (part) {
    case Part::Main: return "MAIN";
    case Part::Dsp: return "DSP";
    case Part::Table: return "TABLE";
    case Part::Usb: return "USB";
    }
    return "?";
}

std::optional<Part> part_from_name(std::string_view name) {
    std::string upper;
    for (char c : name) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (Part part : {Part::Main, Part::Dsp, Part::Table, Part::Usb})
        if (upper == part_name(part)) return part;
    return std::nullopt;
}

bool size_acceptable(Part part, uint64_t size) {
    switch (part) {
    case Part::Usb: return size == kUsbImageSize;
    case Part::Dsp: return size >= kDspMinimumSize;
    case Part::Main:
    case Part::Table: return size >= kSmallestMainOrTable;
    }
    return false;
}

std::string size_rule(Part part) {
    switch (part) {
    case Part::Usb: return "exactly 49152 bytes";
    case Part::Dsp: return "at least 61339 bytes";
    case Part::Main:
    case Part::Table: return "more than 20 bytes";
    }
    return "";
}

int hex_digit_value(uint8_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

VersionRead read_version(Part part, const uint8_t* head, size_t head_size) {
    const size_t at = layout_of(part).version;
    const size_t needed = part == Part::Usb ? 2 : kVersionSize;
    VersionRead read;
    if (head_size < at + needed) {
        read.error = 5;
        return read;
    }
    const uint8_t* v = head + at;
    switch (part) {
    case Part::Usb:
        read.major = v[0];
        read.minor = v[1];
        break;
    case Part::Main:
    case Part::Dsp: {
        int d[kVersionSize];
        for (size_t i = 0; i < kVersionSize; ++i) {
            d[i] = hex_digit_value(v[i]);
            if (d[i] < 0) {
                read.error = static_cast<int>(i) + 1;
                return read;
            }
        }
        read.major = static_cast<uint8_t>(d[0] * 16 + d[1]);
        read.minor = static_cast<uint8_t>(d[2] * 16 + d[3]);
        break;
    }
    case Part::Table:
        // Low nibble first; the bytes are taken as they are, and the result kept to 8 bits.
        read.major = static_cast<uint8_t>(v[1] * 16 + v[0]);
        read.minor = static_cast<uint8_t>(v[3] * 16 + v[2]);
        break;
    }
    return read;
}

std::string version_text(uint8_t major, uint8_t minor) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X.%02X", major, minor);
    return text;
}

std::optional<VersionRead> parse_version_text(std::string_view text) {
    if (text.size() != 5 || text[2] != '.') return std::nullopt;
    int d[4];
    const size_t at[4] = {0, 1, 3, 4};
    for (size_t i = 0; i < 4; ++i) {
        d[i] = hex_digit_value(static_cast<uint8_t>(text[at[i]]));
        if (d[i] < 0) return std::nullopt;
    }
    VersionRead version;
    version.major = static_cast<uint8_t>(d[0] * 16 + d[1]);
    version.minor = static_cast<uint8_t>(d[2] * 16 + d[3]);
    return version;
}

bool identifier_present(Part part, const uint8_t* head, size_t head_size) {
    const size_t at = layout_of(part).identifier;
    return head_size >= at + kIdentifierSize && std::memcmp(head + at, kModelIdentifier, kIdentifierSize) == 0;
}

Part guess_part(const uint8_t* head, size_t head_size, uint64_t size) {
    if (size == kUsbImageSize && head_size > 0 && head[0] == kUsbFirstByte) return Part::Usb;
    if (identifier_present(Part::Dsp, head, head_size)) return Part::Dsp;
    if (identifier_present(Part::Main, head, head_size) && read_version(Part::Main, head, head_size).error == 0)
        return Part::Main;
    return Part::Table;
}

}  // namespace tz::firmware
