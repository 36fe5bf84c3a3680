#include "printer_condition.h"

#include <algorithm>
#include <cstdio>

#include "tzpusb.h"

namespace tz::app {

bool is_unreachable(unsigned code) {
    return code == TZP_NOT_RECOGNISED || code == TZP_NO_CONTEXT || code == TZP_NO_PRINTER ||
           code == TZP_NOT_FOUND || code == TZP_NO_USB_LIBRARY || (code >= TZP_USB_ERROR && code <= TZP_USB_ERROR_LAST);
}

bool is_waiting_state(unsigned code) {
    return code == TZP_BUSY || code == TZP_PRINTER_IN_USE || (code >= TZP_MAIN_INITIALISING && code <= TZP_DOWNLOADING);
}

bool is_printer_error(unsigned code) {
    return code != TZP_OK && !is_waiting_state(code) && !is_unreachable(code) &&
           !(code >= TZP_STATE_LETTER_A && code <= TZP_NO_STATE_LETTER) && code != TZP_NO_MEMORY &&
           code != TZP_BAD_PARAMETER && code != TZP_FILE_ERROR;
}

std::optional<pappl_preason_t> reasons_for_status(unsigned code) {
    if (code == TZP_PRINTER_IN_USE) return std::nullopt;
    if (code == TZP_COVER_OPEN) return PAPPL_PREASON_COVER_OPEN;
    if (code == TZP_NO_PAPER) return PAPPL_PREASON_MEDIA_EMPTY;
    if (code == TZP_NO_RIBBON) return PAPPL_PREASON_MARKER_SUPPLY_EMPTY;
    if (is_unreachable(code)) return PAPPL_PREASON_OFFLINE;
    if (code == TZP_SELF_DIAGNOSIS || code == TZP_DOWNLOADING) return PAPPL_PREASON_OTHER;
    if (code == TZP_OK || is_waiting_state(code) || (code >= TZP_STATE_LETTER_A && code <= TZP_NO_STATE_LETTER))
        return PAPPL_PREASON_NONE;
    return PAPPL_PREASON_OTHER;
}

Supplies supplies_for(const MediaInfo& media, int capacity, bool ribbon_missing, bool paper_missing) {
    Supplies s;
    const int left = paper_missing ? 0 : media.prints_left;
    s.paper.color = PAPPL_SUPPLY_COLOR_GRAY;
    s.paper.type = PAPPL_SUPPLY_TYPE_OTHER;
    s.paper.is_consumed = true;
    s.paper.level = capacity > 0 ? std::clamp(left * 100 / capacity, 0, 100) : (left > 0 ? 100 : 0);
    std::snprintf(s.paper.description, sizeof s.paper.description, "Photo paper (%d prints left)", left);

    s.ribbon.color = PAPPL_SUPPLY_COLOR_MAGENTA;  // PAPPL shows "multiple" in no colour at all
    s.ribbon.type = PAPPL_SUPPLY_TYPE_INK_RIBBON;
    s.ribbon.is_consumed = true;
    // A ribbon comes matched to its paper: as many panels as prints.
    const int matched = capacity > 0 ? std::clamp(media.prints_left * 100 / capacity, 0, 100) : 100;
    s.ribbon.level = ribbon_missing ? 0 : matched;
    std::snprintf(s.ribbon.description, sizeof s.ribbon.description, "%s", "Ink ribbon");
    return s;
}

}  // namespace tz::app
