#include "raw_commands.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "core/command_packets.h"
#include "core/data_pieces.h"
#include "core/exchange.h"
#include "core/printer_context.h"
#include "core/selection.h"

namespace tz::lib {
ExportAnswer send_raw_data(PrinterContext& context, const void* data, uint32_t length) {
    if (length == 0) return {false, std::nullopt};
    uint32_t sent = 0;
    const ResultCode code = write_pieces(context, static_cast<const uint8_t*>(data), length, sent);
    return {code == TZP_OK, code};
}

ExportAnswer send_raw_data(PrinterContext& context, const void* data, const uint32_t* length) {
    if (length == nullptr) return {false, TZP_BAD_PARAMETER};
    return send_raw_data(context, data, *length);
}

ResultCode send_command(PrinterContext& context, const void* command, uint32_t length, void* answer,
                        uint32_t* answer_length) {
    // Nowhere for the answer: nothing is sent.
    if (answer == nullptr || answer_length == nullptr) return TZP_BAD_PARAMETER;
    if (ResultCode code = pipes_reach_printer(context); code != TZP_OK) return code;
    uint32_t written = 0;
    const auto* bytes = static_cast<const uint8_t*>(command);
    if (context.transport->direct_write(bytes, length, written, Traffic::Command) != TZP_OK || written != length)
        return TZP_USB_ERROR;
    std::array<uint8_t, 1024> frame{};
    uint32_t count = 0;
    if (context.transport->direct_read(frame.data(), frame.size(), count) != TZP_OK) return TZP_USB_ERROR;
    count = std::min(count, kCommandAnswerLimit);
    std::memcpy(answer, frame.data(), count);
    *answer_length = count;
    return TZP_OK;
}

ResultCode universal_command(PrinterContext& context, const void* payload, int length, void* answer,
                             uint8_t* answer_length) {
    if (static_cast<uint8_t>(length) > packets::kUniversalPayloadLimit || answer == nullptr || answer_length == nullptr)
        return TZP_BAD_PARAMETER;
    if (ResultCode code = pipes_reach_printer(context); code != TZP_OK) return code;
    if (ResultCode code = context.sender->send_universal(static_cast<const uint8_t*>(payload), length); code != TZP_OK)
        return code;
    std::array<uint8_t, kTimedReadSize> received{};
    uint32_t count = 0;
    if (ResultCode code = context.receiver->read_payload(received.data(), received.size(), count); code != TZP_OK)
        return code;
    // The answer length is one byte: a longer answer is cut to what it can count.
    count = std::min(count, kUniversalAnswerLimit);
    std::memcpy(answer, received.data(), count);
    *answer_length = static_cast<uint8_t>(count);
    return TZP_OK;
}

ResultCode undefine_command(PrinterContext& context) {
    if (ResultCode code = pipes_reach_printer(context); code != TZP_OK) return code;
    return send_and_read_status(context, packets::get_model_name());
}

}  // namespace tz::lib
