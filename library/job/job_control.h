// Following and cancelling the jobs in the printer by their print IDs.
#pragma once

#include <cstdint>

#include "core/result_codes.h"

namespace tz::lib {

class PrinterContext;

// 0xFFFF cancels both jobs in the printer (success when one of the two
// cancels was acknowledged); a print ID of this printer cancels that job, or
// nothing when it is not in the printer; another printer's ID is 1006. 2601
// is reported as 1006, 2602 and 2603 as 2600.
bool cancel_copies(PrinterContext& context, int print_id, ResultCode& code);

// The state of one job (print ID 0: of the printer as a whole) into the
// caller's 8 bytes: three 16-bit values of the job and a status code.
bool print_id_status(PrinterContext& context, int print_id, void* status, ResultCode& code);

}  // namespace tz::lib
