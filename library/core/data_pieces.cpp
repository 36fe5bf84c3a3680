#include "data_pieces.h"

#include <algorithm>

#include "printer_context.h"
#include "selection.h"

namespace tz::lib {

bool write_pieces(PrinterContext& context, const uint8_t* data, uint32_t length, uint32_t& sent, ResultCode& code) {
    sent = 0;
    code = TZP_OK;
    if (!pipes_reach_printer(context, code)) return false;
    while (sent != length) {
        const uint32_t piece = std::min(kDataPieceSize, length - sent);
        uint32_t written = 0;
        const bool ok = context.transport->direct_write(data == nullptr ? nullptr : data + sent, piece, written, code);
        sent += std::min(written, piece);
        // A piece the printer took only in part is lost data, not success.
        if (!ok || written != piece) {
            code = TZP_USB_ERROR;
            return false;
        }
    }
    return true;
}

}  // namespace tz::lib
