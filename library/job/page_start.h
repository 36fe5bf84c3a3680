// Opening and closing a page: the page start checks the job, allocates its
// print ID, sends the laminate strings and the Print Command, and keeps the
// printer held until the page end.
#pragma once

#include <cstdint>

#include "core/result_codes.h"

namespace tz::lib {

class PrintSession;
class PrinterContext;

// TZP_OK with the print ID stored in the session and in `print_id`, and the
// printer held; on any failure the printer is released. TZP_BAD_PARAMETER
// for a bad image format or no print area, TZP_BUSY when both job positions
// are taken, the status code when the printer is not ready, TZP_USB_ERROR for
// communication failures; TZP_REJECTED is reported as TZP_BAD_PARAMETER.
ResultCode start_page(PrinterContext& context, PrintSession& session, uint16_t* print_id);

// Copies back to 1 and the printer released. Always TZP_OK.
ResultCode end_page(PrintSession& session);

}  // namespace tz::lib
