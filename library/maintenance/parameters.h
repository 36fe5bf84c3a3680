// The printer's numbered parameters: 8-bit number, 32-bit value.
#pragma once

#include <cstdint>

#include "core/result_codes.h"

namespace tz::lib {

class PrinterContext;

// Writes one parameter; a value or number the printer refuses is
// TZP_BAD_PARAMETER.
ResultCode set_parameter(PrinterContext& context, int number, int32_t value);
// Reads one parameter into 4 bytes (little-endian, as the printer sends it);
// the buffer is only written when the printer answered with the value.
ResultCode get_parameter(PrinterContext& context, int number, void* buffer);

}  // namespace tz::lib
