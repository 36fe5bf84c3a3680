#include "part_image.h"

#include <algorithm>
#include <cstring>

namespace tz::firmware {
namespace {

constexpr char kWrongIdentifier[] = "TZP-K2207-4";
constexpr uint8_t kWrongFirstByte = 0x00;
constexpr char kWrongVersionCharacter = 'G';

uint64_t splitmix64(uint64_t& state) {
    uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

// Copies what of [offset, offset + size) lies inside the image.
void put(std::vector<uint8_t>& image, size_t offset, const void* data, size_t size) {
    if (offset >= image.size()) return;
    std::memcpy(image.data() + offset, data, std::min(size, image.size() - offset));
}

}  // namespace

uint64_t default_seed(Part part, uint8_t major, uint8_t minor) {
    return 0x51700000ULL | (static_cast<uint64_t>(part) << 16) | (uint64_t{major} << 8) | minor;
}

std::vector<uint8_t> build_image(const ImageRequest& request) {
    std::vector<uint8_t> image(request.size);
    uint64_t state = request.seed;
    for (size_t i = 0; i < image.size(); i += 8) {
        uint64_t word = splitmix64(state);
        for (size_t k = 0; k < 8 && i + k < image.size(); ++k) image[i + k] = static_cast<uint8_t>(word >> (8 * k));
    }

    const Layout& layout = layout_of(request.part);
    const uint8_t zeros[kHeaderBlockSize] = {};
    put(image, layout.block, zeros, sizeof zeros);
    put(image, layout.identifier, request.bad_identifier ? kWrongIdentifier : kModelIdentifier, kIdentifierSize);

    uint8_t version[kVersionSize] = {};
    const char* digits = "0123456789ABCDEF";
    switch (request.part) {
    case Part::Usb:
        version[0] = request.major;
        version[1] = request.minor;
        put(image, layout.version, version, 2);
        break;
    case Part::Main:
    case Part::Dsp:
        version[0] = static_cast<uint8_t>(digits[request.major >> 4]);
        version[1] = static_cast<uint8_t>(digits[request.major & 15]);
        version[2] = static_cast<uint8_t>(digits[request.minor >> 4]);
        version[3] = static_cast<uint8_t>(digits[request.minor & 15]);
        if (request.bad_version_digit > 0) version[request.bad_version_digit - 1] = kWrongVersionCharacter;
        put(image, layout.version, version, kVersionSize);
        break;
    case Part::Table:
        // Nibbles, low one first: major = byte 1 * 16 + byte 0.
        version[0] = request.major & 15;
        version[1] = request.major >> 4;
        version[2] = request.minor & 15;
        version[3] = request.minor >> 4;
        put(image, layout.version, version, kVersionSize);
        break;
    }
    if (request.part == Part::Usb && !image.empty()) image[0] = request.bad_first_byte ? kWrongFirstByte : kUsbFirstByte;
    return image;
}

}  // namespace tz::firmware
