#include "parameters.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "core/acquisition.h"
#include "core/command_packets.h"
#include "core/exchange.h"
#include "core/printer_context.h"

namespace tz::lib {
namespace {

inline constexpr size_t kValueSize = 4;

// A parameter the printer refused is a bad parameter to the caller.
ResultCode refused_as_bad_parameter(ResultCode code) {
    return code == TZP_REJECTED ? ResultCode{TZP_BAD_PARAMETER} : code;
}

}  // namespace

ResultCode set_parameter(PrinterContext& context, int number, int32_t value) {
    PrinterHold hold;
    if (ResultCode code = acquire_printer(context, hold); code != TZP_OK) return code;
    return refused_as_bad_parameter(send_and_acknowledge(
        context, packets::set_parameter(static_cast<uint8_t>(number), static_cast<uint32_t>(value))));
}

ResultCode get_parameter(PrinterContext& context, int number, void* buffer) {
    PrinterHold hold;
    if (ResultCode code = acquire_printer(context, hold); code != TZP_OK) return code;
    if (buffer == nullptr) return TZP_BAD_PARAMETER;  // nowhere to put the value: nothing is asked
    std::array<uint8_t, kTimedReadSize> payload{};
    uint32_t count = 0;
    ResultCode code = context.sender->send(packets::get_parameter(static_cast<uint8_t>(number)));
    if (code == TZP_OK) code = context.receiver->read_payload(payload.data(), payload.size(), count);
    if (code == TZP_OK) {
        // A shorter answer leaves the missing value bytes zero; a longer one
        // gives only its first four.
        std::array<uint8_t, kValueSize> value{};
        std::copy_n(payload.begin(), std::min<size_t>(count, kValueSize), value.begin());
        std::memcpy(buffer, value.data(), kValueSize);
    }
    return refused_as_bad_parameter(code);
}

}  // namespace tz::lib
