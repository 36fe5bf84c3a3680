// What the printer's state means for IPP: the library's status codes as
// printer-state-reasons, and the supplies from the media information.
#pragma once

#include <pappl/pappl.h>

#include <optional>
#include <string>

#include "media_catalog.h"

namespace tz::app {

// The reasons this application manages; any others belong to PAPPL.
inline constexpr pappl_preason_t kManagedReasons = PAPPL_PREASON_OTHER | PAPPL_PREASON_COVER_OPEN |
                                                   PAPPL_PREASON_MEDIA_EMPTY | PAPPL_PREASON_MARKER_SUPPLY_EMPTY |
                                                   PAPPL_PREASON_OFFLINE | PAPPL_PREASON_MEDIA_LOW;

// The reasons for a code of tzpusb_status: cover open -> cover-open; no
// paper -> media-empty; no ribbon -> marker-supply-empty; unplugged, not
// answering, not recognised -> offline; ready, busy, initialising, loading
// paper, cooling down, panel in use -> none; self-diagnosis, firmware
// rewrite and printer errors -> other. Nothing for "another program holds
// the printer" (1500): the reasons stay as they were.
std::optional<pappl_preason_t> reasons_for_status(unsigned code);

// A printer error that a person puts right at the printer (cover, paper,
// ribbon, other printer errors): a job waits for it instead of failing.
bool is_printer_error(unsigned code);
// The printer cannot be reached (or the library cannot reach it).
bool is_unreachable(unsigned code);
// The printer is there but cannot take a page yet (busy, initialising).
bool is_waiting_state(unsigned code);

// The two supplies: the paper, its level the prints left against the most
// seen on this media (`capacity`), its description naming the count; the
// ribbon, matched to its paper (as many panels as prints), empty when the
// printer reports none.
struct Supplies {
    pappl_supply_t paper{};
    pappl_supply_t ribbon{};
};
Supplies supplies_for(const MediaInfo& media, int capacity, bool ribbon_missing, bool paper_missing);

}  // namespace tz::app
