// Writing printer information by tag: settings of the next print job kept in
// the context, or values sent to the printer.
#pragma once

#include <cstdint>

#include "core/result_codes.h"

namespace tz::lib {

class PrinterContext;
struct PrintJobState;

// `size` points at the record's length; only tags 0 and 26 look at it. The
// printer's acknowledgement codes are passed on unchanged.
ResultCode write_printer_info(PrinterContext& context, PrintJobState& job, int tag, const void* data,
                              const uint32_t* size);

}  // namespace tz::lib
