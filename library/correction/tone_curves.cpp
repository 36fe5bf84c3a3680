#include "tone_curves.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "core/acquisition.h"
#include "core/command_packets.h"
#include "core/printer_context.h"
#include "update_transfer.h"

namespace tz::lib {
namespace {

// Update Command target of curve type 1; type 2 is the next one.
inline constexpr int kCurveUpdateTargetBase = 2;
// Reset Command target of the tone curves.
inline constexpr uint8_t kCurveResetTarget = 4;

bool valid_kind(int kind) { return kind >= 1 && kind <= 4; }

// The printer sends the values most significant byte first.
void to_host_order(uint8_t* bytes, uint32_t count) {
    for (uint32_t i = 0; i + 1 < count; i += 2) {
        const auto value = static_cast<uint16_t>((bytes[i] << 8) | bytes[i + 1]);
        std::memcpy(bytes + i, &value, sizeof value);
    }
}

// Reads data packets until `announced` data bytes have come, at least one
// packet. Stores up to kToneCurveBytes of them at `out`; `stored` tells how
// many, `arrived` how many came. `agreed` is false once a packet's count
// byte disagreed with what came.
ResultCode read_curve_packets(PrinterContext& context, uint16_t announced, uint8_t* out, uint32_t& stored,
                              uint32_t& arrived, bool& agreed) {
    stored = 0;
    arrived = 0;
    agreed = true;
    std::array<uint8_t, 1024> packet{};
    do {
        uint32_t count = 0;
        bool length_agrees = true;
        if (context.transport->framed_direct_read(packet.data(), packet.size(), count, length_agrees) != TZP_OK)
            return TZP_USB_ERROR;
        agreed = agreed && length_agrees;
        const uint32_t room = kToneCurveBytes - stored;
        const uint32_t taken = std::min(room, count);
        std::memcpy(out + stored, packet.data(), taken);
        stored += taken;
        // A packet without data while bytes are still owed would never end the transfer.
        if (count == 0 && arrived < announced) return TZP_USB_ERROR;
        arrived += count;
    } while (arrived < announced);
    return TZP_OK;
}

}  // namespace

ResultCode set_printer_tone_curve(PrinterContext& context, int type_argument, int kind_argument, const void* data) {
    PrinterHold hold;
    if (ResultCode code = acquire_printer(context, hold); code != TZP_OK) return code;
    // Both are 16-bit arguments.
    const int type = static_cast<uint16_t>(type_argument);
    const int kind = static_cast<uint16_t>(kind_argument);
    if (type > 2 || !valid_kind(kind) || (type != 0 && data == nullptr)) return TZP_BAD_PARAMETER;
    return fold_usb_error(type == 0 ? reset_with_acknowledge(context, kCurveResetTarget, static_cast<uint8_t>(kind))
                                    : update_with_data(context, static_cast<uint8_t>(type + kCurveUpdateTargetBase),
                                                       static_cast<uint8_t>(kind), static_cast<const uint8_t*>(data),
                                                       kToneCurveBytes));
}

ExportAnswer get_printer_tone_curve(PrinterContext& context, int type, int kind, uint16_t* values) {
    const auto failed = [](ResultCode code) { return ExportAnswer{false, code}; };
    PrinterHold hold;
    if (ResultCode code = acquire_printer(context, hold); code != TZP_OK) return failed(code);
    if ((type != 1 && type != 2) || !valid_kind(kind) || values == nullptr) return failed(TZP_BAD_PARAMETER);
    uint16_t announced = 0;
    ResultCode code =
        context.sender->send(packets::read_tone_curve(static_cast<uint8_t>(type), static_cast<uint8_t>(kind)));
    if (code == TZP_OK) code = context.receiver->read_size(announced);
    if (code != TZP_OK) return failed(fold_usb_error(code));
    auto* out = reinterpret_cast<uint8_t*>(values);
    uint32_t stored = 0, arrived = 0;
    bool agreed = true;
    code = read_curve_packets(context, announced, out, stored, arrived, agreed);
    // The announced bytes are the values; what came beyond them is kept as it came.
    to_host_order(out, std::min<uint32_t>(stored, announced));
    if (code != TZP_OK) return failed(code);
    if (arrived > kToneCurveBytes) return failed(TZP_BAD_PARAMETER);  // no room for the rest in the caller's buffer
    // The values are there; a packet whose count disagreed is told, with success.
    return ExportAnswer{true, agreed ? ResultCode{TZP_OK} : ResultCode{TZP_USB_ERROR}};
}

}  // namespace tz::lib
