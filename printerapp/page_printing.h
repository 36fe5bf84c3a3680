// One page sent to the printer through the library and followed to its
// end, on the printer's link thread. A printer error (cover open, no paper,
// no ribbon) holds the page until somebody puts it right; a printer that is
// away is waited for; a cancel is passed on to the printer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "media_catalog.h"
#include "printer_link.h"

namespace tz::app {

struct PageRequest {
    Area area;                    // tag 0
    int width = 0, height = 0;    // the image, at most the area
    int offset_x = 0, offset_y = 0;
    const std::vector<uint8_t>* pixels = nullptr;  // width x height x 3, sRGB, top line first
    int copies = 1;
    int finish = 0;               // the tag-30 setting (media_catalog.h)
    bool sharpen = false;         // print-quality high
    std::string source_profile;   // both empty: no colour matching
    std::string output_profile;
    int intent = 0;               // ICC rendering intent, 0..3
};

// What the page tells the job it belongs to while it is being printed.
class PageObserver {
public:
    virtual ~PageObserver() = default;
    virtual bool canceled() = 0;
    // The printer's state as the library reported it, for the printer's
    // reasons.
    virtual void printer_state(unsigned code) = 0;
    // The page waits for the printer to be put right or to come back
    // (`code` says why); resumed() when it goes on.
    virtual void held(unsigned code) = 0;
    virtual void resumed() = 0;
};

struct PageOutcome {
    enum class Kind { Printed, Canceled, Failed } kind = Kind::Failed;
    std::string message;
};

// Limits of the waits a page makes: for a printer that is away, and for a
// printer that takes no page while it is busy with others.
struct PageLimits {
    int away_seconds = 600;
    int busy_seconds = 3600;
};

PageOutcome print_page(PrinterLink& link, const PageRequest& page, PageObserver& observer,
                       const PageLimits& limits = {});

}  // namespace tz::app
