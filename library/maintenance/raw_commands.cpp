#include "raw_commands.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "core/command_packets.h"
#include "core/data_pieces.h"
#include "core/printer_context.h"
#include "core/selection.h"

namespace tz::lib {
bool send_raw_data(PrinterContext& context, const void* data, uint32_t length, std::optional<ResultCode>& code) {
    if (length == 0) return false;
    uint32_t sent = 0;
    ResultCode result = TZP_OK;
    const bool ok = write_pieces(context, static_cast<const uint8_t*>(data), length, sent, result);
    code = result;
    return ok;
}

bool send_raw_data(PrinterContext& context, const void* data, const uint32_t* length, std::optional<ResultCode>& code) {
    if (length == nullptr) {
        code = TZP_BAD_PARAMETER;
        return false;
    }
    return send_raw_data(context, data, *length, code);
}

bool send_command(PrinterContext& context, const void* command, uint32_t length, void* answer,
                  uint32_t* answer_length, ResultCode& code) {
    if (answer == nullptr || answer_length == nullptr) {  // nowhere for the answer: nothing is sent
        code = TZP_BAD_PARAMETER;
        return false;
    }
    if (!pipes_reach_printer(context, code)) return false;
    uint32_t written = 0;
    const auto* bytes = static_cast<const uint8_t*>(command);
    if (!context.transport->direct_write(bytes, length, written, code, Traffic::Command) || written != length) {
        code = TZP_USB_ERROR;
        return false;
    }
    std::array<uint8_t, 1024> frame{};
    uint32_t count = 0;
    if (!context.transport->direct_read(frame.data(), frame.size(), count, code)) {
        code = TZP_USB_ERROR;
        return false;
    }
    count = std::min(count, kCommandAnswerLimit);
    std::memcpy(answer, frame.data(), count);
    *answer_length = count;
    code = TZP_OK;
    return true;
}

bool universal_command(PrinterContext& context, const void* payload, int length, void* answer,
                       uint8_t* answer_length, ResultCode& code) {
    if (static_cast<uint8_t>(length) > packets::kUniversalPayloadLimit || answer == nullptr ||
        answer_length == nullptr) {
        code = TZP_BAD_PARAMETER;
        return false;
    }
    if (!pipes_reach_printer(context, code)) return false;
    if (!context.sender->send_universal(static_cast<const uint8_t*>(payload), length, code)) return false;
    std::array<uint8_t, kTimedReadSize> received{};
    uint32_t count = 0;
    if (!context.receiver->read_payload(received.data(), received.size(), count, code)) return false;
    // The answer length is one byte: a longer answer is cut to what it can count.
    count = std::min(count, kUniversalAnswerLimit);
    std::memcpy(answer, received.data(), count);
    *answer_length = static_cast<uint8_t>(count);
    return true;
}

bool undefine_command(PrinterContext& context, ResultCode& code) {
    return pipes_reach_printer(context, code) && context.sender->send(packets::get_model_name(), code) && context.receiver->read_status(code);
}

}  // namespace tz::lib
