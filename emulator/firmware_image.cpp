#include "firmware_image.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace tz::emulator {
namespace {

// Where the header block of an image lies in the bytes as they arrive.
size_t header_block_offset(FirmwarePart part) {
    switch (part) {
    case FirmwarePart::Dsp: return 61318;
    case FirmwarePart::Usb: return 0;  // sent first
    case FirmwarePart::Main:
    case FirmwarePart::Table: return 0;
    }
    return 0;
}

constexpr size_t kIdentifierInBlock = 10;
constexpr size_t kVersionInBlock = 26;
// The first byte of a USB controller image; it arrives after the 64-byte header block.
constexpr size_t kUsbFirstByteOffset = 64;
constexpr uint8_t kUsbFirstByte = 0xC2;

int hex_value(uint8_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool fail(std::string* why, std::string text) {
    if (why) *why = std::move(text);
    return false;
}

}  // namespace

std::optional<FirmwarePart> firmware_part_of_target(uint8_t target) {
    switch (target) {
    case 0: return FirmwarePart::Dsp;
    case 1: return FirmwarePart::Main;
    case 2: return FirmwarePart::Table;
    default: return std::nullopt;
    }
}

const char* firmware_part_name(FirmwarePart part) {
    switch (part) {
    case FirmwarePart::Dsp: return "DSP";
    case FirmwarePart::Main: return "MAIN";
    case FirmwarePart::Table: return "TABLE";
    case FirmwarePart::Usb: return "USB";
    }
    return "?";
}

std::optional<FirmwarePart> firmware_part_named(std::string_view name) {
    for (FirmwarePart part : {FirmwarePart::Usb, FirmwarePart::Main, FirmwarePart::Dsp, FirmwarePart::Table}) {
        std::string_view known = firmware_part_name(part);
        if (known.size() == name.size() &&
            std::equal(known.begin(), known.end(), name.begin(), [](char a, char b) {
                return a == std::toupper(static_cast<unsigned char>(b));
            }))
            return part;
    }
    return std::nullopt;
}

size_t firmware_entry_of(FirmwarePart part) {
    switch (part) {
    case FirmwarePart::Dsp: return kDspEntry;
    case FirmwarePart::Main: return kMainEntry;
    case FirmwarePart::Table: return kTableEntry;
    case FirmwarePart::Usb: return kUsbEntry;
    }
    return kMainEntry;
}

bool firmware_size_acceptable(FirmwarePart part, uint32_t size, std::string* why) {
    std::string name = firmware_part_name(part);
    if (size > kFirmwareSizeLimit) return fail(why, name + " image larger than the flash");
    switch (part) {
    case FirmwarePart::Usb:
        if (size != kUsbImageSize) return fail(why, "USB image must be 49152 bytes");
        return true;
    case FirmwarePart::Dsp:
        if (size < kDspMinimumSize) return fail(why, "DSP image shorter than 61339 bytes");
        return true;
    case FirmwarePart::Main:
    case FirmwarePart::Table:
        if (size <= 20) return fail(why, name + " image of 20 bytes or less");
        return true;
    }
    return false;
}

std::optional<FirmwareVersion> check_firmware_image(FirmwarePart part, const std::vector<uint8_t>& image,
                                                    std::string* why) {
    std::string name = firmware_part_name(part);
    const size_t block = header_block_offset(part);
    const size_t version_at = block + kVersionInBlock;
    if (image.size() < version_at + 4) {
        fail(why, name + " image too short for its header block");
        return std::nullopt;
    }
    if (std::memcmp(image.data() + block + kIdentifierInBlock, kModelIdentifier, kModelIdentifierSize) != 0) {
        fail(why, name + " image is not for this printer model");
        return std::nullopt;
    }
    FirmwareVersion version;
    const uint8_t* v = image.data() + version_at;
    switch (part) {
    case FirmwarePart::Usb:
        if (image.size() <= kUsbFirstByteOffset || image[kUsbFirstByteOffset] != kUsbFirstByte) {
            fail(why, "USB image does not start with 0xC2");
            return std::nullopt;
        }
        version.major = v[0];
        version.minor = v[1];
        break;
    case FirmwarePart::Main:
    case FirmwarePart::Dsp: {
        int d[4];
        for (int i = 0; i < 4; ++i) {
            d[i] = hex_value(v[i]);
            if (d[i] < 0) {
                fail(why, name + " image has no readable version");
                return std::nullopt;
            }
        }
        version.major = static_cast<uint8_t>(d[0] * 16 + d[1]);
        version.minor = static_cast<uint8_t>(d[2] * 16 + d[3]);
        break;
    }
    case FirmwarePart::Table:
        // Two nibbles per version byte, low nibble first.
        version.major = static_cast<uint8_t>(v[1] * 16 + v[0]);
        version.minor = static_cast<uint8_t>(v[3] * 16 + v[2]);
        break;
    }
    uint32_t sum = 0;
    for (uint8_t b : image) sum += b;
    version.sum = static_cast<uint16_t>(sum);
    return version;
}

std::vector<uint8_t> image_as_file(FirmwarePart part, std::vector<uint8_t> received) {
    if (part == FirmwarePart::Usb && received.size() >= kUsbFirstByteOffset)
        std::rotate(received.begin(), received.begin() + kUsbFirstByteOffset, received.end());
    return received;
}

}  // namespace tz::emulator
