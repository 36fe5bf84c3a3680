// The two exchanges most printer operations are made of: a command and the
// printer's acknowledgement of it, a command and its status answer.
#pragma once

#include "command_packets.h"
#include "result_codes.h"

namespace tz::lib {

class PrinterContext;

// TZP_OK, or the first failure: the send's, or the answer's.
ResultCode send_and_acknowledge(PrinterContext& context, const packets::Packet& packet);
ResultCode send_and_read_status(PrinterContext& context, const packets::Packet& packet);

}  // namespace tz::lib
