// Whether the selected printer is the supported model.
#pragma once

#include "core/result_codes.h"

namespace tz::lib {

class PrinterContext;

// True when a printer is selected and its device table entry holds the
// supported model key. Nothing is sent; the code stays 0.
bool is_supported_model(const PrinterContext& context);

}  // namespace tz::lib
