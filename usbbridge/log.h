// The bridge's log: one line per event on stderr, transfers only with --debug.
#pragma once

#include <cstdarg>
#include <cstdio>

namespace tz::usbbridge {

void set_debug_logging(bool on);
bool debug_logging();

void log_line(const char* format, ...) __attribute__((format(printf, 1, 2)));
void log_debug(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace tz::usbbridge
