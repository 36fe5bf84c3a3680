#include "identity.h"

#include <algorithm>
#include <cstring>

namespace tz::usbbridge {
namespace {


constexpr char kModelDescription[] = "MFG:TARVO;CMD:TZPL;MDL:5170;CLS:PRINTER;DES:TARVO 5170 Photo Printer;";
constexpr size_t kSerialLabelAt = link::kSerialOffsetInIdString - 3;  // "SN:"

bool name_character(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
           c == '-';
}

}  // namespace

std::optional<std::string> checked_serial(const std::string& text) {
    if (text.size() != link::kSerialSize || !std::all_of(text.begin(), text.end(), name_character))
        return std::nullopt;
    return text;
}

std::string make_instance(uint8_t bus, const std::vector<uint8_t>& ports, const std::string& serial) {
    std::string out = "TZUSB-" + std::to_string(bus) + "-";
    for (size_t i = 0; i < ports.size(); ++i) out += (i == 0 ? "" : ".") + std::to_string(ports[i]);
    if (ports.empty()) out += "0";
    out += "-";
    for (char c : serial) out += name_character(c) ? c : '_';
    if (out.size() > link::kInstanceSize - 1) out.resize(link::kInstanceSize - 1);
    return out;
}

std::optional<std::string> parse_device_id(const uint8_t* data, size_t size) {
    if (data == nullptr || size < 2) return std::nullopt;
    const size_t declared = static_cast<size_t>(data[0]) << 8 | data[1];
    // Some devices count the length little-endian; take what the bytes allow.
    size_t length = declared;
    if (length < 2 || length > size) {
        const size_t swapped = static_cast<size_t>(data[1]) << 8 | data[0];
        if (swapped < 2 || swapped > size) return std::nullopt;
        length = swapped;
    }
    std::string text(reinterpret_cast<const char*>(data + 2), length - 2);
    text.resize(::strnlen(text.c_str(), text.size()));
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7e) c = ' ';
    if (text.find_first_not_of(' ') == std::string::npos) return std::nullopt;
    return text;
}

std::array<uint8_t, link::kIdStringSize> make_id_string(const std::optional<std::string>& device_id,
                                                         const std::string& serial) {
    std::string text = device_id ? *device_id : kModelDescription;
    // Fields up to the serial's place, cut after a whole field where one fits.
    std::string head = text.substr(0, kSerialLabelAt);
    std::string rest;
    if (text.size() > kSerialLabelAt) {
        const size_t cut = head.rfind(';');
        const size_t keep = cut == std::string::npos ? kSerialLabelAt : cut + 1;
        head = text.substr(0, keep);
        rest = text.substr(keep);
    }
    head.resize(kSerialLabelAt, ' ');
    std::string serial_field = "SN:" + serial.substr(0, link::kSerialSize);
    serial_field.resize(3 + link::kSerialSize, ' ');
    std::string all = head + serial_field + ";" + rest;
    std::array<uint8_t, link::kIdStringSize> out{};
    std::memcpy(out.data(), all.data(), std::min(all.size(), out.size() - 1));  // always NUL-terminated
    return out;
}

link::Hello make_hello(const std::string& serial, const std::string& instance,
                       const std::array<uint8_t, link::kIdStringSize>& id_string) {
    link::Hello hello;
    hello.vendor_id = kVendorId;
    hello.product_id = kProductId;
    std::memcpy(hello.serial.data(), serial.data(), std::min(serial.size(), link::kSerialSize));
    hello.id_string = id_string;
    hello.instance = instance;
    return hello;
}

}  // namespace tz::usbbridge
