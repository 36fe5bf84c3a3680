// Binding the entry points of a library loaded at run time.
#pragma once

#include "platform/dynamic_library.h"

namespace tz::lib {

// Looks up `name` in `module` into the function pointer `entry`; false when missing.
template <typename F>
bool lookup(const platform::DynamicLibrary& module, const char* name, F& entry) {
    entry = reinterpret_cast<F>(module.symbol(name));
    return entry != nullptr;
}

}  // namespace tz::lib
