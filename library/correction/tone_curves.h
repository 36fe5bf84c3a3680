// The printer's own tone curves: downloaded, read back or reset to the
// factory curve. A curve is 768 16-bit values, most significant byte first
// on the wire, addressed by curve type (1, 2) and curve kind (1..4).
#pragma once

#include <cstdint>

#include "core/result_codes.h"

namespace tz::lib {

class PrinterContext;

inline constexpr uint32_t kToneCurveBytes = 1536;

// Type 1 or 2: sends the caller's 1536 bytes as they are. Type 0: resets the
// curves of `kind` and ignores `data`. Type outside 0..2, kind outside 1..4
// or no data for a download: TZP_BAD_PARAMETER before any traffic.
ResultCode set_printer_tone_curve(PrinterContext& context, int type, int kind, const void* data);

// Reads the curve into `values` in host order. At most kToneCurveBytes bytes
// are stored; a printer that announces more has the rest read and dropped,
// and the call reports TZP_BAD_PARAMETER. A packet whose count byte
// disagrees with its size is still taken: success with TZP_USB_ERROR.
ExportAnswer get_printer_tone_curve(PrinterContext& context, int type, int kind, uint16_t* values);

}  // namespace tz::lib
