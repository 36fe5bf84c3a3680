#include "platform/environment.h"

#include <cstdlib>

namespace tz::platform {

void set_environment(const std::string& name, const std::string& value, bool overwrite) {
    ::setenv(name.c_str(), value.c_str(), overwrite ? 1 : 0);
}

void unset_environment(const std::string& name) { ::unsetenv(name.c_str()); }

}  // namespace tz::platform
