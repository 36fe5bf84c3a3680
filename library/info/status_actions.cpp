#include "status_actions.h"

#include "core/acquisition.h"
#include "core/command_packets.h"
#include "core/device_table.h"
#include "core/printer_context.h"
#include "core/selection.h"

namespace tz::lib {
namespace {

inline constexpr int kStatusListLimit = 128;
inline constexpr uint8_t kListEnd = 0xFF;

// Sends a command the printer only acknowledges, on a printer already held.
bool command_with_acknowledge(PrinterContext& context, const packets::Packet& packet, ResultCode& code) {
    if (!context.sender->send(packet, code) || !context.receiver->read_acknowledge(code)) {
        code = fold_usb_error(code);
        return false;
    }
    code = fold_usb_error(code);
    return true;
}

// The LED and reset commands: only to a printer that answers a status inquiry.
bool action_after_status(PrinterContext& context, const packets::Packet& packet, ResultCode& code) {
    PrinterHold hold = acquire_printer(context, code);
    if (!hold.held()) return false;
    ResultCode status = TZP_OK;
    printer_status(context, status);  // takes the printer once more
    if (status == TZP_NOT_RECOGNISED || is_usb_error(status)) {
        code = TZP_USB_ERROR;
        return false;
    }
    // Any other state, busy included, still lets the command through.
    return command_with_acknowledge(context, packet, code);
}

}  // namespace

bool printer_status(PrinterContext& context, ResultCode& code) {
    PrinterHold hold = acquire_printer(context, code);
    if (!hold.held()) return false;
    bool ok = context.sender->send(packets::get_status(), code) && context.receiver->read_status(code);
    code = fold_usb_error(code);
    return ok;
}

bool status_of_printers(PrinterContext& context, const uint8_t* indexes, uint16_t* codes) {
    if (indexes == nullptr || codes == nullptr) return false;
    const Selection remembered = context.selection.load();
    bool any_ready = false;
    for (int i = 0; i < kStatusListLimit && indexes[i] != kListEnd; ++i) {
        ResultCode code = TZP_NOT_RECOGNISED;
        uint8_t index = indexes[i];
        if (index < kDeviceTableSize && device_table()[index].in_use()) {
            point_at(context, index);
            printer_status(context, code);
        }
        codes[i] = code;
        any_ready = any_ready || code == TZP_OK;
    }
    if (remembered.made()) context.selection.store(remembered);
    return any_ready;
}

bool wake_up_standby(PrinterContext& context, int mode, ResultCode& code) {
    PrinterHold hold = acquire_printer(context, code);
    if (!hold.held()) return false;
    return command_with_acknowledge(context, packets::wake_up_standby(static_cast<uint8_t>(mode)), code);
}

bool blink_led(PrinterContext& context, ResultCode& code) {
    return action_after_status(context, packets::flash_led(), code);
}

bool reset_printer(PrinterContext& context, ResultCode& code) {
    return action_after_status(context, packets::reset(3, 0), code);
}

}  // namespace tz::lib
