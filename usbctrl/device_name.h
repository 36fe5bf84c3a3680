// The device name the USB control library reports for an opened printer.
#pragma once

#include <cstdint>
#include <string>

namespace tz::usbctrl {

// \\?\usb#vid_0f3c&pid_5a17#<instance>#{a5dcbf10-6530-11d2-901f-00c04fb951ed}
// Characters 12..15 are the vendor id, 21..24 the product id, in lower-case
// hexadecimal. Characters of the instance other than letters, digits, '.',
// '_', '-' and '&' are replaced with '_'.
std::string make_device_name(uint16_t vendor_id, uint16_t product_id, const std::string& instance);

}  // namespace tz::usbctrl
