#include "output.h"

#include <cstdarg>
#include <cstdio>

namespace tz::upgrade {

void say(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::vprintf(format, arguments);
    va_end(arguments);
    std::fflush(stdout);
}

}  // namespace tz::upgrade
