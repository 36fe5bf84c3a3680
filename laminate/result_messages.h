// The text printed after a failed laminate update, for its result code.
#pragma once

#include <cstdint>

namespace tz::laminate {

// The message for `code`; "Refer to QRM4-X2209B" for every code without one
// of its own.
const char* result_message(uint16_t code);

}  // namespace tz::laminate
