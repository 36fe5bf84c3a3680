// Starting a shell script beside the program without waiting for it.
#pragma once

#include <string>

namespace tz::platform {

// Starts `/bin/sh script` in the current folder and returns at once; false
// when it could not be started. Its outcome is not looked at.
bool start_script(const std::string& script);

}  // namespace tz::platform
