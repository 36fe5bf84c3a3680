#include "page_write.h"

#include "core/device_table.h"
#include "core/printer_context.h"
#include "print_session.h"

namespace tz::lib {

bool write_page(PrinterContext& context, PrintSession& session, const void* data, uint32_t* count, ResultCode& code) {
    code = TZP_OK;
    if (data == nullptr || count == nullptr || *count == 0) return true;
    if (!context.selection.load().made()) {
        code = TZP_NOT_RECOGNISED;
        return false;
    }
    if (session.job.image.width == 0 || !session.page_hold.held() || !session.converter) {
        *count = 0;
        code = TZP_BAD_PARAMETER;
        return false;
    }
    uint32_t taken = 0;
    if (!session.converter->write(static_cast<const uint8_t*>(data), *count, taken)) {
        *count = 0;
        code = TZP_USB_ERROR;
        return false;
    }
    session.job.bytes_written += taken;
    *count = taken;
    return true;
}

}  // namespace tz::lib
