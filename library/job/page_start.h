// Opening and closing a page: the page start checks the job, allocates its
// print ID, sends the laminate strings and the Print Command, and keeps the
// printer held until the page end.
#pragma once

#include <cstdint>

#include "core/result_codes.h"

namespace tz::lib {

class PrintSession;
class PrinterContext;

// 0 with the print ID stored in the context and in `print_id`, and the
// printer held; on any failure the printer is released. 1006 for a bad
// image format or no print area, 2100 when both job positions are taken,
// the status code when the printer is not ready, 2600 for communication
// failures; 2601 is reported as 1006.
bool start_page(PrinterContext& context, PrintSession& session, uint16_t* print_id, ResultCode& code);

// Copies back to 1 and the printer released. Always succeeds.
void end_page(PrintSession& session, ResultCode& code);

}  // namespace tz::lib
