// Sends command packets to the context's printer, each as one timed write.
#pragma once

#include "command_packets.h"
#include "result_codes.h"
#include "transport.h"

namespace tz::lib {

class CommandSender {
public:
    explicit CommandSender(Transport& transport) : transport_(transport) {}

    // True when the whole packet went out (code 0); else 2600.
    bool send(const packets::Packet& packet, ResultCode& code);
    // The Universal Command: 1006 and nothing sent when the length is refused.
    bool send_universal(const uint8_t* payload, int length, ResultCode& code);

private:
    Transport& transport_;
};

}  // namespace tz::lib
