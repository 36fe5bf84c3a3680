// The printer's laminate pattern: downloaded whole or reset to the factory
// pattern.
#pragma once

#include <cstdint>

#include "core/result_codes.h"

namespace tz::lib {

class PrinterContext;

// 2464 x 3720 bytes, passed through unchanged.
inline constexpr uint32_t kLaminatePatternBytes = 9166080;

// Kind 0: sends the caller's kLaminatePatternBytes bytes. Kind 2: resets the
// pattern and ignores `data`. Any other kind, or no data for a download:
// TZP_BAD_PARAMETER before any traffic.
ResultCode set_laminate_pattern(PrinterContext& context, int kind, const void* data);

}  // namespace tz::lib
