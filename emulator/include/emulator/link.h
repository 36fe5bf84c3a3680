// The link between a virtual printer and the USB control library.
//
// A virtual printer listens on a message socket DIR/<serial>.sock, and so
// does the USB bridge for every real printer it serves. Each connection is
// one opened device. The printer's first message on a new
// connection describes the device the way USB descriptors would (the hello
// below); every later message is one USB transfer: host to printer on the
// bulk OUT pipe, printer to host on the bulk IN pipe.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

namespace tz::emulator::link {

inline constexpr char kSocketSuffix[] = ".sock";
inline constexpr char kControlSuffix[] = ".ctl";
inline constexpr size_t kIdStringSize = 260;
inline constexpr size_t kSerialSize = 8;
inline constexpr size_t kSerialOffsetInIdString = 110;
// Largest transfer either side sends in one message.
inline constexpr size_t kMaxTransfer = 65536;

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

inline std::string encode_hello(const Hello& hello) {
    const bool with_instance = !hello.instance.empty();
    std::string out(with_instance ? kHelloWithInstanceSize : kHelloSize, '\0');
    std::memcpy(out.data(), "TZEM", 4);
    out[4] = with_instance ? 2 : 1;
    out[5] = 0;
    out[6] = static_cast<uint8_t>(hello.vendor_id);
    out[7] = static_cast<uint8_t>(hello.vendor_id >> 8);
    out[8] = static_cast<uint8_t>(hello.product_id);
    out[9] = static_cast<uint8_t>(hello.product_id >> 8);
    std::memcpy(out.data() + 10, hello.serial.data(), kSerialSize);
    std::memcpy(out.data() + 10 + kSerialSize, hello.id_string.data(), kIdStringSize);
    if (with_instance)
        std::memcpy(out.data() + kHelloSize, hello.instance.data(), std::min(hello.instance.size(), kInstanceSize - 1));
    return out;
}

inline std::optional<Hello> decode_hello(const uint8_t* data, size_t size) {
    if (data == nullptr || size < kHelloSize || std::memcmp(data, "TZEM", 4) != 0) return std::nullopt;
    if (!(data[4] == 1 && size == kHelloSize) && !(data[4] == 2 && size == kHelloWithInstanceSize))
        return std::nullopt;
    Hello hello;
    hello.vendor_id = static_cast<uint16_t>(data[6] | (data[7] << 8));
    hello.product_id = static_cast<uint16_t>(data[8] | (data[9] << 8));
    std::memcpy(hello.serial.data(), data + 10, kSerialSize);
    std::memcpy(hello.id_string.data(), data + 10 + kSerialSize, kIdStringSize);
    if (data[4] == 2) {
        const char* instance = reinterpret_cast<const char*>(data + kHelloSize);
        hello.instance.assign(instance, ::strnlen(instance, kInstanceSize - 1));
    }
    return hello;
}

}  // namespace tz::emulator::link
