#include "result_messages.h"

namespace tz::laminate {

const char* result_message(uint16_t code) {
    switch (code) {
        case 0: return "The printer is a ready state.";
        case 1000: return "Memory Full";
        case 1002: return "Cannot load TZ5170UsbCtrl.dll";
        case 1003: return "Cannot load TZ5170ColorMatch.dll";
        case 1004: return "Cannot open the USB port.";
        case 1005: return "Cannot access the specified profile.";
        case 1006: return "The specified parameter is not available.";
        case 1008: return "Printer with selected number is not found.";
        case 2000: return "The printer cannot be recognized.";
        case 2100: return "The printer is buffer full state.";
        case 2101: return "Main CPU is initializing.";
        case 2102: return "The ribbon is being initialized.";
        case 2103: return "The form is a loading.";
        case 2104: return "It is thermal protecting.";
        case 2105: return "The operation part is being executed.";
        case 2106: return "The self-diagnosis is being executed.";
        case 2107: return "Download is being executed.";
        case 2301: return "The specified paper information is not available to the currently selected printer.";
        case 2305: return "Paper Empty Err.";
        case 2306: return "Ink Empty Err.";
        case 2309: return "Cover Open.";
        case 2600: return "USB communication error.";
        default: return "Refer to QRM4-X2209B";
    }
}

}  // namespace tz::laminate
