// The cut list: stored in the context and sent to the printer at once.
#pragma once

#include "core/result_codes.h"

namespace tz::lib {

class PrinterContext;
struct PrintJobState;

// The record is 73 bytes: the count, then 36 cut values of two bytes in host
// order, all taken whatever the count. Null sends "no cut list" (0xFF); a
// count of 0 is TZP_BAD_PARAMETER with nothing sent. TZP_REJECTED is reported
// as TZP_BAD_PARAMETER; other codes as they came.
ResultCode set_cut_list(PrinterContext& context, PrintJobState& job, const void* record);

}  // namespace tz::lib
