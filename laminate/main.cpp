// TZ5170Laminate INI-FILE SERIAL: sends the laminate pattern named in the INI
// file to the printer with that serial, through the printer-control library
// loaded from the current folder. The upgrade program starts it after a
// firmware upgrade. It exits with 0 on every path; what happened is on the
// console.
#include <cstdio>
#include <string>

#include "api_binding.h"
#include "laminate_update.h"
#include "platform/console.h"
#include "platform/library_version.h"
#include "platform/system_names.h"
#include "settings.h"

namespace {

using namespace tz::laminate;

void print_version_report() {
    using tz::platform::library_version;
    using tz::platform::shared_library_file;
    const std::string upgrade = library_version(shared_library_file("TZ5170upgrade"));
    const std::string usb = library_version(shared_library_file("TZ5170UsbCtrl"));
    const std::string color = library_version(shared_library_file("TZ5170ColorMatch"));
    std::fputs("---------------------------------------- \n", stdout);
    std::printf("TZ5170upgrade.dll     File Version = %s \n", upgrade.c_str());
    std::printf("TZ5170UsbCtrl.dll     File Version = %s \n", usb.c_str());
    std::printf("TZ5170ColorMatch.dll  File Version = %s \n", color.c_str());
    std::fputs("---------------------------------------- \n", stdout);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("Argument error.\n", stdout);
        std::fputs("\n\nHit any key please", stdout);
        tz::platform::read_key();
        return 0;
    }
    const LaminateSettings settings = read_settings(ini_path(argv[1]));
    const PrinterSerial serial = serial_from_argument(argv[2]);

    tz::platform::clear_console();
    print_version_report();
    if (settings.target == kNoTarget) {
        std::fputs("Can not get target of INI File.\n", stdout);
        return 0;
    }

    ApiBinding binding;
    if (!binding.bind(library_path())) {
        std::fputs("TZPUSB DLL Load Failed Error \n", stdout);
        return 0;
    }
    const EntryPoints& api = binding.api();
    uint16_t code = 0;
    if (api.open(&code) == 0) {
        std::printf("TZPUSB DLL Open Failed  Error = %d \n", code);
        binding.keep_loaded();
        return 0;
    }
    code = 0;
    const char* selected = api.select_printer_sn(serial.bytes.data(), &code);
    if (selection_accepted(selected, serial))
        update_laminate_pattern(api, settings);
    else
        std::printf("Can not select the Printer. Error = %d \n", code);
    api.close();
    binding.unbind();
    return 0;
}
