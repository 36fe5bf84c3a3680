#include "laminate_update.h"

#include <cstdio>
#include <cstring>

#include "result_messages.h"

namespace tz::laminate {
namespace {

void wait_until_not_downloading(const EntryPoints& api) {
    for (;;) {
        uint16_t code = 0;
        api.status(&code);  // only the code tells
        if (code != TZP_DOWNLOADING && code != TZP_PANEL_IN_USE) return;
        std::printf("tzpusb_status function failed  Error = %d \r", code);
        // The line ends without a new line: a terminal shows it only when flushed.
        std::fflush(stdout);
    }
}

}  // namespace

PrinterSerial serial_from_argument(const char* argument) {
    PrinterSerial serial;
    const size_t length = ::strnlen(argument, kSerialSize);
    std::memcpy(serial.bytes.data(), argument, length);
    serial.complete = length == kSerialSize;
    return serial;
}

bool selection_accepted(const char* selected, const PrinterSerial& serial) {
    // A short serial matches nothing, not even a library that hands back its
    // untouched, zero-filled serial.
    return selected != nullptr && serial.complete &&
           std::memcmp(selected, serial.bytes.data(), kSerialSize) == 0;
}

void update_laminate_pattern(const EntryPoints& api, const LaminateSettings& settings) {
    std::fputs("\n", stdout);
    wait_until_not_downloading(api);
    std::fputs("\n", stdout);
    std::fputs("---------------------------------------\n", stdout);
    std::fputs("         Set Laminate Pattern          \n", stdout);
    std::fputs("---------------------------------------\n", stdout);
    std::fputs("\n", stdout);
    std::fflush(stdout);

    uint16_t code = 0;
    if (api.update_laminate(settings.target, settings.pattern.c_str(), &code) == 1)
        std::printf("tzpusb_update_laminate OK  = %d\n", code);
    else
        std::printf("tzpusb_update_laminate function failed = %d (%s)\n", code, result_message(code));
}

}  // namespace tz::laminate
