#include "update_transfer.h"

#include "core/command_packets.h"
#include "core/data_pieces.h"
#include "core/exchange.h"
#include "core/printer_context.h"

namespace tz::lib {

ResultCode update_with_data(PrinterContext& context, uint8_t target, uint8_t sub_target, const uint8_t* data,
                            uint32_t length) {
    if (ResultCode code = send_and_acknowledge(context, packets::update(target, sub_target, 0, length)); code != TZP_OK)
        return code;
    uint32_t sent = 0;
    return write_pieces(context, data, length, sent);
}

ResultCode reset_with_acknowledge(PrinterContext& context, uint8_t target, uint8_t sub_target) {
    return send_and_acknowledge(context, packets::reset(target, sub_target));
}

}  // namespace tz::lib
