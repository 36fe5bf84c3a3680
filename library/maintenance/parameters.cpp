#include "parameters.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "core/acquisition.h"
#include "core/command_packets.h"
#include "core/printer_context.h"

namespace tz::lib {
namespace {

inline constexpr size_t kValueSize = 4;

// A parameter the printer refused is a bad parameter to the caller.
ResultCode refused_as_bad_parameter(ResultCode code) {
    return code == TZP_REJECTED ? ResultCode{TZP_BAD_PARAMETER} : code;
}

}  // namespace

bool set_parameter(PrinterContext& context, int number, int32_t value, ResultCode& code) {
    PrinterHold hold = acquire_printer(context, code);
    if (!hold.held()) return false;
    bool ok = context.sender->send(packets::set_parameter(static_cast<uint8_t>(number), static_cast<uint32_t>(value)),
                                   code) &&
              context.receiver->read_acknowledge(code);
    code = refused_as_bad_parameter(code);
    return ok;
}

bool get_parameter(PrinterContext& context, int number, void* buffer, ResultCode& code) {
    PrinterHold hold = acquire_printer(context, code);
    if (!hold.held()) return false;
    if (buffer == nullptr) {  // nowhere to put the value: nothing is asked
        code = TZP_BAD_PARAMETER;
        return false;
    }
    std::array<uint8_t, kTimedReadSize> payload{};
    uint32_t count = 0;
    bool ok = context.sender->send(packets::get_parameter(static_cast<uint8_t>(number)), code) &&
              context.receiver->read_payload(payload.data(), payload.size(), count, code);
    if (ok) {
        // A shorter answer leaves the missing value bytes zero; a longer one
        // gives only its first four.
        std::array<uint8_t, kValueSize> value{};
        std::copy_n(payload.begin(), std::min<size_t>(count, kValueSize), value.begin());
        std::memcpy(buffer, value.data(), kValueSize);
    }
    code = refused_as_bad_parameter(code);
    return ok;
}

}  // namespace tz::lib
