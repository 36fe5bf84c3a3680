// The upgrade program's own texts for the library's result codes, and the
// error line that shows one.
#pragma once

#include <cstdint>

namespace tz::upgrade {

// The text for `code`; "Unknown error" for a code without one.
const char* result_text(int code);

// Prints "Error: <text>(<code>)\n".
void print_result_error(uint16_t code);

}  // namespace tz::upgrade
