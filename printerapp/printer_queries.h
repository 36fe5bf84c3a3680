// Questions put to one printer through the library, on its link's thread:
// the state, the loaded media, and what the printer's own page shows.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "media_catalog.h"
#include "printer_link.h"

namespace tz::app {

// tzpusb_status of the printer (selecting it first); a printer that is gone
// is looked for again at the next question.
unsigned read_status(PrinterLink& link);

// Printer-information tag 0; nothing when the printer does not answer.
std::optional<MediaInfo> read_media(PrinterLink& link);

struct FirmwareEntry {
    std::string name, type, date;
    unsigned major = 0, minor = 0, value = 0;
};

// What the printer's own web page shows. Each part that could not be read
// stays empty; `status` is the state when it was read.
struct PrinterDetails {
    unsigned status = 0;
    std::vector<FirmwareEntry> firmware;
    std::string serial_recorded, serial_reported;
    std::optional<uint32_t> prints;    // the printer's print counter
    std::optional<MediaInfo> media;
    std::vector<uint8_t> error_log;
};
PrinterDetails read_details(PrinterLink& link);

// Flashes the printer's LED; the library's code.
unsigned blink(PrinterLink& link);

}  // namespace tz::app
