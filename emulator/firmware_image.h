// The firmware parts the printer rewrites, and the checks it makes on what it
// is sent. Every image carries one header block with the model identifier at
// block offset 10 and the version at block offset 26. The block is at the
// start of MAIN and TABLE images, at 61,318 in DSP images; the USB controller
// image arrives with its header block (its last 64 bytes) sent first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "emulator/printer_state.h"

namespace tz::emulator {

inline constexpr char kModelIdentifier[] = "TZP-K2207-5";
inline constexpr size_t kModelIdentifierSize = 11;
inline constexpr uint32_t kUsbImageSize = 0xC000;
inline constexpr uint32_t kDspMinimumSize = 61339;
// The printer's flash has room for no more than this in one part.
inline constexpr uint32_t kFirmwareSizeLimit = 16u << 20;

// Update Command targets 0, 1, 2.
std::optional<FirmwarePart> firmware_part_of_target(uint8_t target);
const char* firmware_part_name(FirmwarePart part);
// USB, MAIN, DSP or TABLE, in any case.
std::optional<FirmwarePart> firmware_part_named(std::string_view name);
// Entry number (1..7) of the part in the firmware information.
size_t firmware_entry_of(FirmwarePart part);

// The announced size of a part; false with the reason when the printer refuses it.
bool firmware_size_acceptable(FirmwarePart part, uint32_t size, std::string* why);

struct FirmwareVersion {
    uint8_t major = 0;
    uint8_t minor = 0;
    uint16_t sum = 0;  // 16-bit sum of the image bytes as received
};

// Checks a whole image as it arrived and reads its version; nothing with the
// reason when the printer refuses it.
std::optional<FirmwareVersion> check_firmware_image(FirmwarePart part, const std::vector<uint8_t>& image,
                                                    std::string* why);

// The image as it lies in its file: a USB controller image arrives with its
// header block (the file's last 64 bytes) first; the other parts as they are.
std::vector<uint8_t> image_as_file(FirmwarePart part, std::vector<uint8_t> received);

}  // namespace tz::emulator
