// The printer's self-diagnosis: starting a diagnosis and reading the batch result.
#pragma once

#include <cstdint>

#include "core/result_codes.h"

namespace tz::lib {

class PrinterContext;

// Largest number of batch result bytes handed to a caller.
inline constexpr uint32_t kDiagnosisResultLimit = 37;

// Result bytes 1.. of the batch result into `buffer`; `size` is the capacity
// in and the number delivered out (at most 37). A null buffer asks nothing.
ResultCode get_diagnostic(PrinterContext& context, void* buffer, uint32_t* size);
// Starts a diagnosis; mode 1 (every diagnosis) always goes with arguments 0, 0.
ResultCode set_diagnostic(PrinterContext& context, int mode, int first, int second);
// Sends the diagnosis command as given, without taking the printer, and hands
// back the printer's whole answer payload (at most 512 bytes).
ResultCode command_diagnostic(PrinterContext& context, int mode, int first, int second, void* buffer);

}  // namespace tz::lib
