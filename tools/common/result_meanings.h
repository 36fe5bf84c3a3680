// The meanings of the printer-control library's result codes, for people.
// One table for all the tools; not part of the printer library.
#pragma once

#include <string>

namespace tz::tools {

// A short text for a result code ("cover open"); codes in a numbered range
// name their number ("printer error, group 6, detail 12").
std::string result_meaning(unsigned code);

// "2309 (cover open)".
std::string describe_result(unsigned code);

// True for the codes that say the printer could not be reached or the library
// could not do its part (no context, no printer, communication failures),
// as opposed to a state the printer reported.
bool is_communication_failure(unsigned code);

}  // namespace tz::tools
