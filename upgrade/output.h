// Console text of the upgrade program. Every piece goes out at once, so that
// progress lines ending in "\r" show while they are current.
#pragma once

// The C library's own formats (%zu among them): on Windows the build asks
// for mingw-w64's conforming printf (__USE_MINGW_ANSI_STDIO).
#if defined(__MINGW32__)
#define TZ_SAY_FORMAT gnu_printf
#else
#define TZ_SAY_FORMAT printf
#endif

namespace tz::upgrade {

void say(const char* format, ...) __attribute__((format(TZ_SAY_FORMAT, 1, 2)));

}  // namespace tz::upgrade
