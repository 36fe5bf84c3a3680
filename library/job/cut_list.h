// The cut list: stored in the context and sent to the printer at once.
#pragma once

#include "core/result_codes.h"

namespace tz::lib {

class PrinterContext;
struct PrintJobState;

// The record is 73 bytes: the count, then 36 cut values of two bytes in host
// order, all taken whatever the count. Null sends "no cut list" (0xFF); a
// count of 0 is 1006 with nothing sent. 2601 is reported as 1006;
// other codes as they came.
bool set_cut_list(PrinterContext& context, PrintJobState& job, const void* record, ResultCode& code);

}  // namespace tz::lib
