#include "command_sender.h"

namespace tz::lib {

bool CommandSender::send(const packets::Packet& packet, ResultCode& code) {
    uint32_t written = 0;
    if (!transport_.timed_write(packet.data(), packet.size, written, code)) return false;
    if (written != packet.size) {  // a packet cut short is not a command
        code = TZP_USB_ERROR;
        return false;
    }
    return true;
}

bool CommandSender::send_universal(const uint8_t* payload, int length, ResultCode& code) {
    std::optional<packets::Packet> packet = packets::universal(payload, length);
    if (!packet) {
        code = TZP_BAD_PARAMETER;
        return false;
    }
    return send(*packet, code);
}

}  // namespace tz::lib
