// How our shared objects export a C entry point: by name, visible outside
// the object, whose other symbols stay hidden.
#pragma once

#define TZ_EXPORT extern "C" __attribute__((visibility("default")))
