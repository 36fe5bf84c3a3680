// How our shared objects export a C entry point: by name, visible outside
// the object, whose other symbols stay hidden. On Windows the DLL exports it
// (a .def file adds ordinals where the DLL has fixed ones).
#pragma once

#if defined(_WIN32)
#define TZ_EXPORT extern "C" __declspec(dllexport)
#else
#define TZ_EXPORT extern "C" __attribute__((visibility("default")))
#endif
