// Following and cancelling the jobs in the printer by their print IDs.
#pragma once

#include <cstdint>

#include "core/result_codes.h"

namespace tz::lib {

class PrinterContext;

// 0xFFFF cancels both jobs in the printer (success when one of the two
// cancels was acknowledged); a print ID of this printer cancels that job, or
// nothing when it is not in the printer; another printer's ID is
// TZP_BAD_PARAMETER. TZP_REJECTED is reported as TZP_BAD_PARAMETER, the
// further communication failures TZP_USB_ERROR_2 and _3 as TZP_USB_ERROR.
ResultCode cancel_copies(PrinterContext& context, int print_id);

// The state of one job (print ID 0: of the printer as a whole) into the
// caller's 8 bytes: three 16-bit values of the job and a status code. For
// print ID 0 the printer's state is also what the export stores, with
// success.
ExportAnswer print_id_status(PrinterContext& context, int print_id, void* status);

}  // namespace tz::lib
