// TZ5170Firmware: the firmware package tool. Builds part images (valid or
// with a chosen fault) and MOT files from them, and inspects firmware files
// as the printer-control library and the upgrade program see them.
#include <exception>
#include <iostream>
#include <optional>
#include <string>

#include "common/command_line.h"
#include "tool.h"

int main(int argc, char** argv) {
    using namespace tz::firmware;
    CLI::App app{"Firmware package tool for TARVO 5170 printers: builds and inspects firmware files.",
                 "TZ5170Firmware"};
    app.fallthrough();  // --json may also follow the command
    app.require_subcommand(1);
    app.footer(
        "Exit status: 0 success, 1 failure (a check failed, a file not read or written), 2 usage error.\n"
        "See TZ5170Firmware(1).");
    Tool tool;
    app.add_flag("--json", tool.json, "print one JSON document");
    register_make(app, tool);
    register_mot(app, tool);
    register_inspect(app, tool);
    register_package(app, tool);

    if (std::optional<int> status = tz::tools::parse_command_line(app, argc, argv)) return *status;

    try {
        return tool.action ? tool.action() : kExitUsage;
    } catch (const UsageError& e) {
        std::cerr << "TZ5170Firmware: " << e.what() << "\n";
        return kExitUsage;
    } catch (const std::exception& e) {  // Failure, and whatever else stopped the command
        std::cerr << "TZ5170Firmware: " << e.what() << "\n";
        if (tool.json) std::cout << nlohmann::ordered_json{{"ok", false}, {"error", e.what()}}.dump(2) << '\n';
        return kExitFailure;
    }
}
