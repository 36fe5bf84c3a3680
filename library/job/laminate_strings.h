// The twelve laminate strings of the next pages (printer-information tags
// 80..91): kept in the context, sent at each page start.
#pragma once

#include <cstdint>

#include "print_job_state.h"

namespace tz::lib {

// Slot `slot` from the caller's record: bytes 0-1 value A, 2-3 value B (host
// byte order), 4 value C, 5 value D, 6 text length, then the text, of which
// at most 20 bytes are taken.
LaminateStringSlot parse_laminate_slot(uint8_t slot, const uint8_t* record);

}  // namespace tz::lib
