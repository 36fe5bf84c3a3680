#include "laminate_strings.h"

#include <algorithm>
#include <cstring>

namespace tz::lib {

LaminateStringSlot parse_laminate_slot(uint8_t slot, const uint8_t* record) {
    LaminateStringSlot parsed;
    parsed.slot = slot;
    std::memcpy(&parsed.value_a, record, sizeof parsed.value_a);
    std::memcpy(&parsed.value_b, record + 2, sizeof parsed.value_b);
    parsed.value_c = record[4];
    parsed.value_d = record[5];
    parsed.text_length = record[6];
    std::memcpy(parsed.text.data(), record + 7, std::min<size_t>(parsed.text_length, kLaminateTextSize));
    return parsed;
}

}  // namespace tz::lib
