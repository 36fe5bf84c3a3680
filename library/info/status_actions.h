// Status of the selected printer and the small device actions: wake-up,
// LED, reset.
#pragma once

#include <cstdint>

#include "core/result_codes.h"

namespace tz::lib {

class PrinterContext;

// Asks the printer's status: TZP_OK when it can take a job, else the code of
// its state (TZP_BUSY when both job positions are taken). Communication
// failures are TZP_USB_ERROR.
ResultCode printer_status(PrinterContext& context);
// The status of each listed printer (indexes up to 0xFF, at most 128), one
// code each; true when at least one came back 0.
bool status_of_printers(PrinterContext& context, const uint8_t* indexes, uint16_t* codes);
// Wakes the printer from stand-by with this mode byte.
ResultCode wake_up_standby(PrinterContext& context, int mode);
// The LED and a restart (Reset Command 3/0): only when the printer answers a
// status inquiry (else TZP_USB_ERROR); any state it answers with lets them
// through.
ResultCode blink_led(PrinterContext& context);
ResultCode reset_printer(PrinterContext& context);

}  // namespace tz::lib
