#include "command_sender.h"

namespace tz::lib {

ResultCode CommandSender::send(const packets::Packet& packet) {
    uint32_t written = 0;
    if (ResultCode code = transport_.timed_write(packet.data(), packet.size, written); code != TZP_OK) return code;
    return written == packet.size ? TZP_OK : TZP_USB_ERROR;  // a packet cut short is not a command
}

ResultCode CommandSender::send_universal(const uint8_t* payload, int length) {
    std::optional<packets::Packet> packet = packets::universal(payload, length);
    if (!packet) return TZP_BAD_PARAMETER;
    return send(*packet);
}

}  // namespace tz::lib
