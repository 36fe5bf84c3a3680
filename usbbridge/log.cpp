#include "log.h"

#include <atomic>

namespace tz::usbbridge {
namespace {

std::atomic<bool> debug_on{false};

void write_line(const char* format, va_list args) {
    char line[1024];
    std::vsnprintf(line, sizeof line, format, args);
    std::fprintf(stderr, "TZ5170UsbBridge: %s\n", line);
}

}  // namespace

void set_debug_logging(bool on) { debug_on = on; }
bool debug_logging() { return debug_on; }

void log_line(const char* format, ...) {
    va_list args;
    va_start(args, format);
    write_line(format, args);
    va_end(args);
}

void log_debug(const char* format, ...) {
    if (!debug_on) return;
    va_list args;
    va_start(args, format);
    write_line(format, args);
    va_end(args);
}

}  // namespace tz::usbbridge
