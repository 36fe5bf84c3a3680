// The exported C functions of printer status, device actions and printer
// information: thin forwarders.
#include "tzpusb.h"

#include "forwarding.h"
#include "info/printer_info_read.h"
#include "info/status_actions.h"
#include "platform/export.h"

using namespace tz::lib;

TZ_EXPORT int TZPUSB_API tzpusb_status(uint16_t* result) { return forward(result, printer_status); }

TZ_EXPORT int TZPUSB_API tzpusb_statusAll(const uint8_t* indexes, uint16_t* codes) {
    try {
        PrinterContext* context = calling_context();
        if (context == nullptr) {
            // Every listed printer gets TZP_NO_CONTEXT.
            for (int i = 0; indexes != nullptr && codes != nullptr && i < 128 && indexes[i] != 0xFF; ++i)
                codes[i] = TZP_NO_CONTEXT;
            return 0;
        }
        return status_of_printers(*context, indexes, codes) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

TZ_EXPORT int TZPUSB_API tzpusb_WakeUpStandby(int mode, uint16_t* result) {
    return forward(result, [mode](PrinterContext& context) {
        return wake_up_standby(context, mode);
    });
}

TZ_EXPORT int TZPUSB_API tzpusb_blinkLED(uint16_t* result) { return forward(result, blink_led); }

TZ_EXPORT int TZPUSB_API tzpusb_resetPrinter(uint16_t* result) { return forward(result, reset_printer); }

TZ_EXPORT int TZPUSB_API tzpusb_getPrinterInfo(int tag, void* buffer, uint32_t* size) {
    // No result pointer: a thread without a context just gets 0.
    return forward(nullptr, [=](PrinterContext& context) {
        return read_printer_info(context, tag, buffer, size);
    });
}
