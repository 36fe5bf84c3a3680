// TZ5170Ctl: the service tool for TARVO 5170 printers, over the public API of
// the printer-control library (include/tzpusb.h).
#include <exception>
#include <iostream>
#include <string>

#include "common/result_meanings.h"
#include "tool.h"

int main(int argc, char** argv) {
    using namespace tz::ctl;
    CLI::App app{"Service tool for TARVO 5170 printers.", "TZ5170Ctl"};
    app.fallthrough();  // global options may also follow the subcommand
    app.require_subcommand(1);
    app.footer(
        "Exit status: 0 success, 1 printer or library failure (code and meaning on stderr), 2 usage error.\n"
        "See TZ5170Ctl(1).");
    Tool tool;
    app.add_option("--serial", tool.options.serial, "the printer to use (8 characters); default: the only one");
    app.add_flag("--json", tool.options.json, "print one JSON document per command");
    register_all_commands(app, tool);

    // An unknown first word would otherwise only be reported as a missing command.
    for (int i = 1; i < argc; ++i) {
        std::string word = argv[i];
        if (word == "--serial") {
            ++i;
            continue;
        }
        if (word.empty() || word[0] == '-') continue;
        try {
            app.get_subcommand(word);
        } catch (const CLI::OptionNotFound&) {
            std::cerr << "TZ5170Ctl: unknown command \"" << word << "\"\nRun with --help for more information.\n";
            return kExitUsage;
        }
        break;
    }

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        int status = app.exit(e);  // help on stdout; errors on stderr
        return status == 0 ? kExitOk : kExitUsage;
    }

    try {
        if (tool.action) tool.action();
        return kExitOk;
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
