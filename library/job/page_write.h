// Writing pixel data into the open page.
#pragma once

#include <cstdint>

#include "core/result_codes.h"

namespace tz::lib {

class PrintSession;
class PrinterContext;

// A null pointer, a null count or a count of 0 succeeds at once.
// TZP_NOT_RECOGNISED with no printer selected; TZP_BAD_PARAMETER, with
// nothing sent, before an image format was accepted or outside a page. Whole
// lines are converted, any other count goes on as it is; `*count` becomes the
// bytes taken, or 0 with TZP_USB_ERROR on a failure (the page stays open).
ResultCode write_page(PrinterContext& context, PrintSession& session, const void* data, uint32_t* count);

}  // namespace tz::lib
