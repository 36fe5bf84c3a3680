#include "page_write.h"

#include "core/device_table.h"
#include "core/printer_context.h"
#include "print_session.h"

namespace tz::lib {

ResultCode write_page(PrinterContext& context, PrintSession& session, const void* data, uint32_t* count) {
    if (data == nullptr || count == nullptr || *count == 0) return TZP_OK;
    if (!context.selection.load().made()) return TZP_NOT_RECOGNISED;
    if (session.job.image.width == 0 || !session.page_hold.held() || !session.converter) {
        *count = 0;
        return TZP_BAD_PARAMETER;
    }
    uint32_t taken = 0;
    if (!session.converter->write(static_cast<const uint8_t*>(data), *count, taken)) {
        *count = 0;
        return TZP_USB_ERROR;
    }
    session.job.bytes_written += taken;
    *count = taken;
    return TZP_OK;
}

}  // namespace tz::lib
