#include "command_line.h"

#include <iostream>
#include <string>

namespace tz::tools {

std::optional<int> parse_command_line(CLI::App& app, int argc, char** argv,
                                      std::initializer_list<const char*> options_with_value) {
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        bool takes_value = false;
        for (const char* option : options_with_value) takes_value = takes_value || word == option;
        if (takes_value) {
            ++i;
            continue;
        }
        if (word.empty() || word[0] == '-') continue;
        try {
            app.get_subcommand(word);
        } catch (const CLI::OptionNotFound&) {
            std::cerr << app.get_name() << ": unknown command \"" << word << "\"\nRun with --help for more information.\n";
            return kExitUsage;
        }
        break;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int status = app.exit(e);  // help on stdout; errors on stderr
        return status == 0 ? kExitOk : kExitUsage;
    }
    return std::nullopt;
}

}  // namespace tz::tools
