// The text commands of a printer's control socket DIR/<serial>.ctl:
// one command per line, one answer line ("ok ..." or "error: ...") each.
#pragma once

#include <string>

namespace tz::emulator {

class VirtualPrinter;

// Runs one command line against the printer and returns the answer line
// (without the line end).
std::string run_control_command(VirtualPrinter& printer, const std::string& line);

// The commands, for the help text.
extern const char* const kControlHelp;

}  // namespace tz::emulator
