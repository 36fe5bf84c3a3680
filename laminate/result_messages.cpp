#include "result_messages.h"

#include "tzpusb.h"

namespace tz::laminate {

const char* result_message(uint16_t code) {
    switch (code) {
        case TZP_OK: return "The printer is a ready state.";
        case TZP_NO_MEMORY: return "Memory Full";
        case TZP_NO_USB_LIBRARY: return "Cannot load TZ5170UsbCtrl.dll";
        case TZP_NO_COLOR_LIBRARY: return "Cannot load TZ5170ColorMatch.dll";
        case TZP_NO_PRINTER: return "Cannot open the USB port.";
        case TZP_FILE_ERROR: return "Cannot access the specified profile.";
        case TZP_BAD_PARAMETER: return "The specified parameter is not available.";
        case TZP_NOT_FOUND: return "Printer with selected number is not found.";
        case TZP_NOT_RECOGNISED: return "The printer cannot be recognized.";
        case TZP_BUSY: return "The printer is buffer full state.";
        case TZP_MAIN_INITIALISING: return "Main CPU is initializing.";
        case TZP_RIBBON_INITIALISING: return "The ribbon is being initialized.";
        case TZP_LOADING_PAPER: return "The form is a loading.";
        case TZP_THERMAL_PROTECTION: return "It is thermal protecting.";
        case TZP_PANEL_IN_USE: return "The operation part is being executed.";
        case TZP_SELF_DIAGNOSIS: return "The self-diagnosis is being executed.";
        case TZP_DOWNLOADING: return "Download is being executed.";
        case TZP_NO_PAPER_INFO: return "The specified paper information is not available to the currently selected printer.";
        case TZP_NO_PAPER: return "Paper Empty Err.";
        case TZP_NO_RIBBON: return "Ink Empty Err.";
        case TZP_COVER_OPEN: return "Cover Open.";
        case TZP_USB_ERROR: return "USB communication error.";
        default: return "Refer to QRM4-X2209B";
    }
}

}  // namespace tz::laminate
