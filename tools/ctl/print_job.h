// Printing on one printer, on the calling thread: the images one after
// another, each page sent and then followed until it is finished, cancelled
// or stopped by a printer error, or until what becomes of it cannot be known.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "print_progress.h"
#include "print_settings.h"

namespace tz::ctl {

struct PrintOutcome {
    std::string serial;
    std::string image;
    uint16_t print_id = 0;    // 0: no page was started
    // "done", "cancelled", "error", or "unknown": the page may have printed
    // or may print yet, and nobody can say it did not.
    std::string outcome = "error";
    unsigned code = 0;        // the result code behind an error (or a cancel or unknown outcome)
    std::string message;      // what happened, for people
    unsigned copies = 0;      // asked for
    unsigned printed = 0;     // as far as the printer reported; meaningless when unknown
    Size area;                // the print area
    Size size;                // the image as sent
    Size offset;              // its place in the area
};

// Opens the library on this thread, selects `serial` and prints `images`
// there. `stop` asks to cancel: the job being followed is cancelled, a page
// being sent is broken off, the images not yet started are left out.
// One outcome per image, in order; never throws.
std::vector<PrintOutcome> print_on_printer(const std::string& serial, const std::vector<std::string>& images,
                                           const PrintSettings& settings, PrintProgress& progress,
                                           const std::atomic<bool>& stop);

}  // namespace tz::ctl
