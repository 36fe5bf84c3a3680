// Setting the process's environment variables (the tests point the library
// at their printers and time limits this way).
#pragma once

#include <string>

namespace tz::platform {

// Sets `name` to `value`; when `overwrite` is false an existing value stays.
void set_environment(const std::string& name, const std::string& value, bool overwrite);
void unset_environment(const std::string& name);

}  // namespace tz::platform
