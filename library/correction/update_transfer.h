// Correction data for the printer's own memory: an Update Command that
// announces the data, its acknowledgement, then the data itself in pieces.
#pragma once

#include <cstdint>

#include "core/result_codes.h"

namespace tz::lib {

class PrinterContext;

// On a printer already held: announces `length` bytes under `target` and
// `sub_target` (restart value 0), reads the acknowledgement and sends the
// bytes. Codes as they come; the caller folds them.
ResultCode update_with_data(PrinterContext& context, uint8_t target, uint8_t sub_target, const uint8_t* data,
                            uint32_t length);

// On a printer already held: a Reset Command and its acknowledgement.
ResultCode reset_with_acknowledge(PrinterContext& context, uint8_t target, uint8_t sub_target);

}  // namespace tz::lib
