#include "status_actions.h"

#include "core/acquisition.h"
#include "core/command_packets.h"
#include "core/device_table.h"
#include "core/exchange.h"
#include "core/printer_context.h"
#include "core/selection.h"

namespace tz::lib {
namespace {

inline constexpr int kStatusListLimit = 128;
inline constexpr uint8_t kListEnd = 0xFF;

// The LED and reset commands: only to a printer that answers a status inquiry.
ResultCode action_after_status(PrinterContext& context, const packets::Packet& packet) {
    PrinterHold hold;
    if (ResultCode code = acquire_printer(context, hold); code != TZP_OK) return code;
    const ResultCode status = printer_status(context);  // takes the printer once more
    if (status == TZP_NOT_RECOGNISED || is_usb_error(status)) return TZP_USB_ERROR;
    // Any other state, busy included, still lets the command through.
    return fold_usb_error(send_and_acknowledge(context, packet));
}

}  // namespace

ResultCode printer_status(PrinterContext& context) {
    PrinterHold hold;
    if (ResultCode code = acquire_printer(context, hold); code != TZP_OK) return code;
    return fold_usb_error(send_and_read_status(context, packets::get_status()));
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
            code = printer_status(context);
        }
        codes[i] = code;
        any_ready = any_ready || code == TZP_OK;
    }
    if (remembered.made()) context.selection.store(remembered);
    return any_ready;
}

ResultCode wake_up_standby(PrinterContext& context, int mode) {
    PrinterHold hold;
    if (ResultCode code = acquire_printer(context, hold); code != TZP_OK) return code;
    return fold_usb_error(send_and_acknowledge(context, packets::wake_up_standby(static_cast<uint8_t>(mode))));
}

ResultCode blink_led(PrinterContext& context) { return action_after_status(context, packets::flash_led()); }

ResultCode reset_printer(PrinterContext& context) { return action_after_status(context, packets::reset(3, 0)); }

}  // namespace tz::lib
