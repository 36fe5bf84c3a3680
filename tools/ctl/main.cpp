// TZ5170Ctl: the service tool for TARVO 5170 printers, over the public API of
// the printer-control library (include/tzpusb.h).
#include <exception>
#include <iostream>
#include <optional>
#include <string>

#include "common/command_line.h"
#include "common/result_meanings.h"
#include "tool.h"

int main(int argc, char** argv) {
    using namespace tz::ctl;
    CLI::App app{"Service tool for TARVO 5170 printers.", "TZ5170Ctl"};
    app.fallthrough();  // global options may also follow the subcommand
    app.require_subcommand(1);
    app.footer(
        "Exit status: 0 success, 1 printer or library failure (code and meaning on stderr), 2 usage error,\n"
        "3 a print whose outcome is unknown (it may have printed).\n"
        "See TZ5170Ctl(1).");
    Tool tool;
    app.add_option("--serial", tool.options.serials,
                   "the printer to use (8 characters); default: the only one. print takes it once per printer")
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    app.add_flag("--json", tool.options.json, "print one JSON document per command");
    register_all_commands(app, tool);

    if (std::optional<int> status = tz::tools::parse_command_line(app, argc, argv, {"--serial"})) return *status;

    try {
        if (tool.options.serials.size() > 1 && !tool.several_serials)
            throw UsageError("--serial is given " + std::to_string(tool.options.serials.size()) +
                             " times; only print takes several printers");
        if (!tool.options.serials.empty()) tool.options.serial = tool.options.serials.front();
        if (tool.action) tool.action();
        return tool.exit_status;
    } catch (const UsageError& e) {
        std::cerr << "TZ5170Ctl: " << e.what() << "\n";
        return kExitUsage;
    } catch (const Failure& e) {
        std::cerr << "TZ5170Ctl: " << e.what() << ": result " << tz::tools::describe_result(e.code()) << "\n";
        if (tool.options.json)
            std::cout << nlohmann::json{{"ok", false},
                                        {"error", e.what()},
                                        {"code", e.code()},
                                        {"meaning", tz::tools::result_meaning(e.code())}}
                             .dump(2)
                      << '\n';
        return kExitFailure;
    } catch (const std::exception& e) {
        std::cerr << "TZ5170Ctl: " << e.what() << "\n";
        return kExitFailure;
    }
}
