#include "exchange.h"

#include "printer_context.h"

namespace tz::lib {

ResultCode send_and_acknowledge(PrinterContext& context, const packets::Packet& packet) {
    if (ResultCode code = context.sender->send(packet); code != TZP_OK) return code;
    return context.receiver->read_acknowledge();
}

ResultCode send_and_read_status(PrinterContext& context, const packets::Packet& packet) {
    if (ResultCode code = context.sender->send(packet); code != TZP_OK) return code;
    return context.receiver->read_status();
}

}  // namespace tz::lib
