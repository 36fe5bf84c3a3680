// The printer's part of the run: is the selected printer the one asked for,
// wait until it has stopped downloading, send the pattern.
#pragma once

#include <array>

#include "api_binding.h"
#include "settings.h"

namespace tz::laminate {

inline constexpr size_t kSerialSize = 8;

// The serial of the command line: its first 8 bytes, NUL-padded when it is
// shorter (never read past its end). A shorter one is no printer's serial.
struct PrinterSerial {
    std::array<char, kSerialSize> bytes{};
    bool complete = false;
};

PrinterSerial serial_from_argument(const char* argument);

// The selection counts only when the library hands back the serial asked for.
bool selection_accepted(const char* selected, const PrinterSerial& serial);

// Waits while the printer reports a download (2107) or its panel in use
// (2105), then sends the pattern file to the update target and reports.
void update_laminate_pattern(const EntryPoints& api, const LaminateSettings& settings);

}  // namespace tz::laminate
