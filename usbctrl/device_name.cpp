#include "device_name.h"

#include <cctype>
#include <cstdio>

namespace tz::usbctrl {

std::string make_device_name(uint16_t vendor_id, uint16_t product_id, const std::string& instance) {
    char ids[32];
    std::snprintf(ids, sizeof ids, "vid_%04x&pid_%04x", vendor_id, product_id);
    std::string safe;
    safe.reserve(instance.size());
    for (unsigned char c : instance) {
        bool keep = std::isalnum(c) || c == '.' || c == '_' || c == '-' || c == '&';
        safe.push_back(keep ? static_cast<char>(c) : '_');
    }
    return std::string("\\\\?\\usb#") + ids + "#" + safe + "#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
}

}  // namespace tz::usbctrl
