// Reading a tool's command line with CLI11: commands are words, options may
// come before or after them.
#pragma once

#include <CLI/CLI.hpp>

#include <initializer_list>
#include <optional>

namespace tz::tools {

inline constexpr int kExitOk = 0;
inline constexpr int kExitUsage = 2;

// Parses the command line. Nothing when the command is to run; otherwise the
// exit status: 0 after help, 2 after a usage error (its message on stderr),
// also for an unknown first word, which CLI11 alone would report only as a
// missing command. `options_with_value` name the global options whose next
// word is their value, not a command.
std::optional<int> parse_command_line(CLI::App& app, int argc, char** argv,
                                      std::initializer_list<const char*> options_with_value = {});

}  // namespace tz::tools
