// Writing pixel data into the open page.
#pragma once

#include <cstdint>

#include "core/result_codes.h"

namespace tz::lib {

class PrintSession;
class PrinterContext;

// A null pointer, a null count or a count of 0 succeeds at once. 2000 with
// no printer selected; 1006, with nothing sent, before an image format was
// accepted or outside a page. Whole lines are converted, any other count
// goes on as it is; `*count` becomes the bytes taken, or 0 with 2600 on a
// failure (the page stays open).
bool write_page(PrinterContext& context, PrintSession& session, const void* data, uint32_t* count, ResultCode& code);

}  // namespace tz::lib
