// Status of the selected printer and the small device actions: wake-up,
// LED, reset.
#pragma once

#include <cstdint>

#include "core/result_codes.h"

namespace tz::lib {

class PrinterContext;

// Asks the printer's status: 0 when it can take a job, else the code of its
// state (2100 when both job positions are taken). Communication failures are
// 2600.
bool printer_status(PrinterContext& context, ResultCode& code);
// The status of each listed printer (indexes up to 0xFF, at most 128), one
// code each; true when at least one came back 0.
bool status_of_printers(PrinterContext& context, const uint8_t* indexes, uint16_t* codes);
bool wake_up_standby(PrinterContext& context, int mode, ResultCode& code);
bool blink_led(PrinterContext& context, ResultCode& code);
bool reset_printer(PrinterContext& context, ResultCode& code);

}  // namespace tz::lib
