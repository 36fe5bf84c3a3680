#include "data_pieces.h"

#include <algorithm>

#include "printer_context.h"
#include "selection.h"

namespace tz::lib {

ResultCode write_pieces(PrinterContext& context, const uint8_t* data, uint32_t length, uint32_t& sent) {
    sent = 0;
    if (ResultCode code = pipes_reach_printer(context); code != TZP_OK) return code;
    while (sent != length) {
        const uint32_t piece = std::min(kDataPieceSize, length - sent);
        uint32_t written = 0;
        const ResultCode code = context.transport->direct_write(data == nullptr ? nullptr : data + sent, piece, written);
        sent += std::min(written, piece);
        // A piece the printer took only in part is lost data, not success.
        if (code != TZP_OK || written != piece) return TZP_USB_ERROR;
    }
    return TZP_OK;
}

}  // namespace tz::lib
