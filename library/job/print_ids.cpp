#include "print_ids.h"

#include <algorithm>

namespace tz::lib {

uint8_t next_job_number(uint8_t first, uint8_t second) {
    const unsigned next = std::max(first, second) + 1u;
    if (next <= 255) return static_cast<uint8_t>(next);
    uint8_t number = 1;
    while (number == first || number == second) ++number;
    return number;
}

}  // namespace tz::lib
