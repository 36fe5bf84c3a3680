// Reading printer information by tag: records built from the printer's
// answers, or values the library holds itself.
#pragma once

#include <cstdint>

#include "core/result_codes.h"

namespace tz::lib {

class PrinterContext;

// `size` is in: the buffer's capacity, out: the bytes delivered. A null
// buffer asks for the tag's record size. TZP_OK, or why not: on a failure
// after the printer was taken the size is 0, when it could not be taken the
// size is left alone. Re-entrant for operations that already hold the
// printer.
ResultCode read_printer_info(PrinterContext& context, int tag, void* buffer, uint32_t* size);

}  // namespace tz::lib
