// The link between a virtual printer and the USB control library.
//
// A virtual printer listens on a message socket DIR/<serial>.sock. Each
// connection is one opened device. The printer's first message on a new
// connection describes the device the way USB descriptors would (the hello
// below); every later message is one USB transfer: host to printer on the
// bulk OUT pipe, printer to host on the bulk IN pipe.
#pragma once

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

struct Hello {
    uint16_t vendor_id = 0;
    uint16_t product_id = 0;
    std::array<char, kSerialSize> serial{};
    std::array<uint8_t, kIdStringSize> id_string{};
};

// Layout: "TZEM", version 1, 0, vendor (LE16), product (LE16), serial (8),
// ID string (260).
inline constexpr size_t kHelloSize = 4 + 2 + 2 + 2 + kSerialSize + kIdStringSize;

inline std::array<uint8_t, kHelloSize> encode_hello(const Hello& hello) {
    std::array<uint8_t, kHelloSize> out{};
    std::memcpy(out.data(), "TZEM", 4);
    out[4] = 1;
    out[5] = 0;
    out[6] = static_cast<uint8_t>(hello.vendor_id);
    out[7] = static_cast<uint8_t>(hello.vendor_id >> 8);
    out[8] = static_cast<uint8_t>(hello.product_id);
    out[9] = static_cast<uint8_t>(hello.product_id >> 8);
    std::memcpy(out.data() + 10, hello.serial.data(), kSerialSize);
    std::memcpy(out.data() + 10 + kSerialSize, hello.id_string.data(), kIdStringSize);
    return out;
}

inline std::optional<Hello> decode_hello(const uint8_t* data, size_t size) {
    if (data == nullptr || size != kHelloSize || std::memcmp(data, "TZEM", 4) != 0 || data[4] != 1)
        return std::nullopt;
    Hello hello;
    hello.vendor_id = static_cast<uint16_t>(data[6] | (data[7] << 8));
    hello.product_id = static_cast<uint16_t>(data[8] | (data[9] << 8));
    std::memcpy(hello.serial.data(), data + 10, kSerialSize);
    std::memcpy(hello.id_string.data(), data + 10 + kSerialSize, kIdStringSize);
    return hello;
}

}  // namespace tz::emulator::link
