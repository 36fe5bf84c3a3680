#include "platform/environment.h"

#include <cstdlib>

namespace tz::platform {

// The C runtime's copy, which getenv reads, and with it the process's own.
void set_environment(const std::string& name, const std::string& value, bool overwrite) {
    if (!overwrite && std::getenv(name.c_str()) != nullptr) return;
    ::_putenv_s(name.c_str(), value.c_str());
}

// An empty value removes the variable.
void unset_environment(const std::string& name) { ::_putenv_s(name.c_str(), ""); }

}  // namespace tz::platform
