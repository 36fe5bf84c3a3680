// What a printer keeps across power cycles, and its JSON state file.
#pragma once

#include <string>

namespace tz::emulator {

struct PrinterState {
    std::string serial;  // 8 characters
};

// Reads `path`; a missing file gives the defaults (false only for a file
// that exists but cannot be read or parsed, with the reason in `error`).
bool load_state(const std::string& path, PrinterState& state, std::string* error);
// Writes `path` in one step (a temporary file renamed over it).
bool save_state(const std::string& path, const PrinterState& state);

}  // namespace tz::emulator
