#include "link/hello.h"

#include <algorithm>
#include <cstring>

#include "byteorder/little_endian.h"

namespace tz::link {
namespace {

constexpr char kMagic[] = "TZEM";
constexpr size_t kVendorAt = 6;
constexpr size_t kProductAt = 8;
constexpr size_t kSerialAt = 10;
constexpr size_t kIdStringAt = kSerialAt + kSerialSize;

}  // namespace

std::string encode_hello(const Hello& hello) {
    const bool with_instance = !hello.instance.empty();
    std::string out(with_instance ? kHelloWithInstanceSize : kHelloSize, '\0');
    auto* bytes = reinterpret_cast<uint8_t*>(out.data());
    std::memcpy(bytes, kMagic, 4);
    bytes[4] = with_instance ? 2 : 1;
    put_le16(bytes + kVendorAt, hello.vendor_id);
    put_le16(bytes + kProductAt, hello.product_id);
    std::memcpy(bytes + kSerialAt, hello.serial.data(), kSerialSize);
    std::memcpy(bytes + kIdStringAt, hello.id_string.data(), kIdStringSize);
    if (with_instance)
        std::memcpy(bytes + kHelloSize, hello.instance.data(), std::min(hello.instance.size(), kInstanceSize - 1));
    return out;
}

std::optional<Hello> decode_hello(const uint8_t* data, size_t size) {
    if (data == nullptr || size < kHelloSize || std::memcmp(data, kMagic, 4) != 0) return std::nullopt;
    if (!(data[4] == 1 && size == kHelloSize) && !(data[4] == 2 && size == kHelloWithInstanceSize))
        return std::nullopt;
    Hello hello;
    hello.vendor_id = read_le16(data + kVendorAt);
    hello.product_id = read_le16(data + kProductAt);
    std::memcpy(hello.serial.data(), data + kSerialAt, kSerialSize);
    std::memcpy(hello.id_string.data(), data + kIdStringAt, kIdStringSize);
    if (data[4] == 2) {
        const char* instance = reinterpret_cast<const char*>(data + kHelloSize);
        hello.instance.assign(instance, ::strnlen(instance, kInstanceSize - 1));
    }
    return hello;
}

}  // namespace tz::link
