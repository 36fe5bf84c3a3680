#include "error_history.h"

#include "core/acquisition.h"
#include "core/command_packets.h"
#include "core/exchange.h"
#include "core/printer_context.h"

namespace tz::lib {

ResultCode reset_error_history(PrinterContext& context) {
    PrinterHold hold;
    if (ResultCode code = acquire_printer(context, hold); code != TZP_OK) return code;
    return fold_usb_error(send_and_acknowledge(context, packets::reset_error_log()));
}

}  // namespace tz::lib
