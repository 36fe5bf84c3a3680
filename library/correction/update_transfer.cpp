#include "update_transfer.h"

#include "core/command_packets.h"
#include "core/data_pieces.h"
#include "core/printer_context.h"

namespace tz::lib {

bool update_with_data(PrinterContext& context, uint8_t target, uint8_t sub_target, const uint8_t* data,
                      uint32_t length, ResultCode& code) {
    if (!context.sender->send(packets::update(target, sub_target, 0, length), code) ||
        !context.receiver->read_acknowledge(code))
        return false;
    uint32_t sent = 0;
    return write_pieces(context, data, length, sent, code);
}

bool reset_with_acknowledge(PrinterContext& context, uint8_t target, uint8_t sub_target, ResultCode& code) {
    return context.sender->send(packets::reset(target, sub_target), code) && context.receiver->read_acknowledge(code);
}

}  // namespace tz::lib
