// Sending a laminate pattern file with the Update Command.
#pragma once

#include <cstdint>

#include "core/result_codes.h"

namespace tz::lib {

class PrinterContext;

// Largest file the update takes into memory; a larger one is TZP_NO_MEMORY.
inline constexpr uint64_t kLaminateFileLimit = 256ull * 1024 * 1024;

// Announces the file to the printer under `target` and sends its bytes,
// holding the printer from the announcement to the last byte.
ExportAnswer update_laminate(PrinterContext& context, int target, const char* path);

}  // namespace tz::lib
