// The printer's hello: the first message on every new connection to a
// printer socket, describing the device the way USB descriptors would. Every
// later message is one USB transfer: host to printer on the bulk OUT pipe,
// printer to host on the bulk IN pipe.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tz::link {

inline constexpr size_t kIdStringSize = 260;
inline constexpr size_t kSerialSize = 8;
inline constexpr size_t kSerialOffsetInIdString = 110;
inline constexpr size_t kInstanceSize = 64;

struct Hello {
    uint16_t vendor_id = 0;
    uint16_t product_id = 0;
    std::array<char, kSerialSize> serial{};
    std::array<uint8_t, kIdStringSize> id_string{};
    // What tells this printer apart from every other on the machine, for its
    // device name: empty for a virtual printer (the USB control library makes
    // one from its folder and serial); the bus and port path and the serial
    // for a real printer behind the bridge. At most 63 characters.
    std::string instance;
};

// Layout: "TZEM", version 1, 0, vendor (LE16), product (LE16), serial (8),
// ID string (260); version 2 adds the instance, NUL-padded (64). A hello
// without an instance is sent as version 1.
inline constexpr size_t kHelloSize = 4 + 2 + 2 + 2 + kSerialSize + kIdStringSize;
inline constexpr size_t kHelloWithInstanceSize = kHelloSize + kInstanceSize;

std::string encode_hello(const Hello& hello);
// Nothing for anything that is not a whole hello of either version.
std::optional<Hello> decode_hello(const uint8_t* data, size_t size);

}  // namespace tz::link
