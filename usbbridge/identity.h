// What the bridge tells a connecting opener about a printer: its serial, the
// instance name that sets it apart on this machine, and its ID string. Pure:
// descriptor bytes in, texts out.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/hello.h"

namespace tz::usbbridge {

inline constexpr uint16_t kVendorId = 0x0F3C;
inline constexpr uint16_t kProductId = 0x5A17;

// The serial number string as the printer is served under: exactly eight of
// [A-Za-z0-9._-]; nothing for anything else.
std::optional<std::string> checked_serial(const std::string& text);

// "TZUSB-<bus>-<port>.<port>...-<serial>": stable while the printer stays in
// the same port, at most 63 characters of [A-Za-z0-9._-].
std::string make_instance(uint8_t bus, const std::vector<uint8_t>& ports, const std::string& serial);

// The text of an IEEE 1284 GET_DEVICE_ID answer (big-endian length, itself
// included, then the text); nothing when the answer is malformed or empty.
std::optional<std::string> parse_device_id(const uint8_t* data, size_t size);

// The 260-byte ID string: the device ID (or, without one, a description of
// the model) in the first 107 bytes, "SN:" and the serial at 107..118, what
// did not fit before after it.
std::array<uint8_t, link::kIdStringSize> make_id_string(const std::optional<std::string>& device_id,
                                                                 const std::string& serial);

link::Hello make_hello(const std::string& serial, const std::string& instance,
                                 const std::array<uint8_t, link::kIdStringSize>& id_string);

}  // namespace tz::usbbridge
