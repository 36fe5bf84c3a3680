// The printer's error log.
#pragma once

#include "core/result_codes.h"

namespace tz::lib {

class PrinterContext;

// Clears the printer's error log.
ResultCode reset_error_history(PrinterContext& context);

}  // namespace tz::lib
