// Console text of the upgrade program. Every piece goes out at once, so that
// progress lines ending in "\r" show while they are current.
#pragma once

namespace tz::upgrade {

void say(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace tz::upgrade
