// The version text of one of our shared objects: a note our build embeds in
// each of them.
#pragma once

#include <string>

namespace tz::platform {

// The version of the shared object `file_name` (e.g. "libTZ5170UsbCtrl.so"),
// looked for beside the program, in the current folder and along
// LD_LIBRARY_PATH, in that order; empty when no such file carries a note.
std::string library_version(const std::string& file_name);

}  // namespace tz::platform
