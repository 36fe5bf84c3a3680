// TZ5170UsbBridge: serves every TARVO 5170 on the USB bus as a socket, so
// that any number of processes can use it through the USB control library.
#include <CLI/CLI.hpp>

#include "bridge.h"
#include "log.h"

int main(int argc, char** argv) {
    using namespace tz::usbbridge;
    CLI::App app{"Serves the TARVO 5170 printers on the USB bus as sockets, one per printer.", "TZ5170UsbBridge"};
    app.footer("Exit status: 0 after SIGTERM or SIGINT, 1 when it cannot start, 2 usage error.\n"
               "See TZ5170UsbBridge(1).");
    BridgeOptions options;
    bool debug = false;
    app.add_option("--dir", options.folder, "folder of the printer sockets")->capture_default_str();
    app.add_option("--transfer-timeout", options.timeouts.out_ms, "time limit of one OUT transfer in ms")
        ->capture_default_str()
        ->check(CLI::Range(1u, 600000u));
    app.add_flag("--debug", debug, "log every transfer");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? 0 : 2;  // help on stdout; errors on stderr
    }
    set_debug_logging(debug);
    return run_bridge(options);
}
