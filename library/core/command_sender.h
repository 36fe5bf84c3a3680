// Sends command packets to the context's printer, each as one timed write.
#pragma once

#include "command_packets.h"
#include "result_codes.h"
#include "transport.h"

namespace tz::lib {

class CommandSender {
public:
    explicit CommandSender(Transport& transport) : transport_(transport) {}

    // TZP_OK when the whole packet went out; else TZP_USB_ERROR.
    ResultCode send(const packets::Packet& packet);
    // The Universal Command: TZP_BAD_PARAMETER and nothing sent when the
    // length is refused.
    ResultCode send_universal(const uint8_t* payload, int length);

private:
    Transport& transport_;
};

}  // namespace tz::lib
