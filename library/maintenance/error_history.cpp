#include "error_history.h"

#include "core/acquisition.h"
#include "core/command_packets.h"
#include "core/printer_context.h"

namespace tz::lib {

bool reset_error_history(PrinterContext& context, ResultCode& code) {
    PrinterHold hold = acquire_printer(context, code);
    if (!hold.held()) return false;
    bool ok = context.sender->send(packets::reset_error_log(), code) && context.receiver->read_acknowledge(code);
    code = fold_usb_error(code);
    return ok;
}

}  // namespace tz::lib
