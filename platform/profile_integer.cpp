// Integers of a private-profile file, as the Windows reader takes them; no
// call into the system, so one file for both.
#include "platform/profile_ini.h"

namespace tz::platform {

int32_t parse_profile_integer(const std::string& text) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) value = value * 10u + static_cast<uint32_t>(text[i] - '0');
    if (negative) value = 0u - value;
    return static_cast<int32_t>(value);
}

}  // namespace tz::platform
