#include "common/result_meanings.h"

#include <array>
#include <utility>

#include "tzpusb.h"

namespace tz::tools {

namespace {

struct Meaning {
    unsigned code;
    const char* text;
};

constexpr std::array kMeanings{
    Meaning{TZP_OK, "ready"},
    Meaning{TZP_NO_MEMORY, "out of memory"},
    Meaning{TZP_NO_USB_LIBRARY, "USB control library missing or incomplete"},
    Meaning{TZP_NO_COLOR_LIBRARY, "colour-matching library missing or incomplete"},
    Meaning{TZP_NO_PRINTER, "no printer found"},
    Meaning{TZP_FILE_ERROR, "file cannot be read"},
    Meaning{TZP_BAD_PARAMETER, "parameter out of range or rejected"},
    Meaning{TZP_NOT_FOUND, "no printer with that serial"},
    Meaning{TZP_PRINTER_IN_USE, "in use by another program"},
    Meaning{TZP_NO_CONTEXT, "library not opened by this thread"},
    Meaning{TZP_THREADS_ATTACHED, "threads still attached"},
    Meaning{TZP_NOT_RECOGNISED, "printer not recognised (gone?)"},
    Meaning{TZP_BUSY, "busy: job buffer full"},
    Meaning{TZP_MAIN_INITIALISING, "main processor initialising"},
    Meaning{TZP_RIBBON_INITIALISING, "ink ribbon initialising"},
    Meaning{TZP_LOADING_PAPER, "loading paper"},
    Meaning{TZP_THERMAL_PROTECTION, "thermal protection"},
    Meaning{TZP_PANEL_IN_USE, "operation panel in use"},
    Meaning{TZP_SELF_DIAGNOSIS, "self-diagnosis running"},
    Meaning{TZP_DOWNLOADING, "firmware download running"},
    Meaning{TZP_NO_STATE_LETTER, "ready, no state letter"},
    Meaning{TZP_NO_PAPER_INFO, "no paper information"},
    Meaning{TZP_NO_PAPER, "no paper"},
    Meaning{TZP_NO_RIBBON, "no ink ribbon"},
    Meaning{TZP_COVER_OPEN, "cover open"},
    Meaning{TZP_UNDEFINED_ERROR, "undefined error"},
    Meaning{TZP_USB_ERROR, "USB communication error"},
    Meaning{TZP_REJECTED, "rejected by the printer"},
    Meaning{TZP_MOT_SYNTAX, "firmware file: syntax error"},
    Meaning{TZP_MOT_CHECKSUM, "firmware file: checksum error"},
    Meaning{TZP_MOT_ADDRESS, "firmware file: address error"},
    Meaning{TZP_NO_DOWNLOAD_MODE, "printer not in download mode"},
    Meaning{TZP_DIAGNOSIS_RUNNING, "self-diagnosis result not readable (diagnosis still running?)"},
};

std::string numbered(const char* what, unsigned n) { return std::string(what) + std::to_string(n); }

}  // namespace

std::string result_meaning(unsigned code) {
    for (const Meaning& m : kMeanings)
        if (m.code == code) return m.text;
    if (code >= TZP_STATE_LETTER_A && code <= TZP_STATE_LETTER_M)
        return std::string("ready, state letter ") + static_cast<char>('a' + (code - TZP_STATE_LETTER_A));
    if (code > TZP_USB_ERROR && code <= TZP_USB_ERROR_LAST) return "communication failure";
    if (code > TZP_GROUP6_ERROR && code < TZP_GROUP6_ERROR + 256)
        return numbered("printer error, group 6, detail ", code - TZP_GROUP6_ERROR);
    if (code > TZP_GROUP5_ERROR && code < TZP_GROUP5_ERROR + 256)
        return numbered("printer error, group 5, detail ", code - TZP_GROUP5_ERROR);
    static constexpr std::pair<unsigned, unsigned> kGroups[] = {
        {TZP_GROUP1_ERROR, 1}, {TZP_GROUP2_ERROR, 2}, {TZP_GROUP3_ERROR, 3}, {TZP_GROUP4_ERROR, 4}};
    for (auto [base, group] : kGroups)
        if (code >= base && code < base + 100)
            return "printer error, group " + std::to_string(group) + ", detail " + std::to_string(code - base);
    if (code >= TZP_GROUP4_ERROR && code < TZP_GROUP4_ERROR + 256)
        return numbered("printer error, group 4, detail ", code - TZP_GROUP4_ERROR);
    return "unknown result code";
}

std::string describe_result(unsigned code) { return std::to_string(code) + " (" + result_meaning(code) + ")"; }

bool is_communication_failure(unsigned code) {
    return (code >= TZP_NO_MEMORY && code < TZP_PRINTER_IN_USE) || code == TZP_PRINTER_IN_USE ||
           code == TZP_NO_CONTEXT || code == TZP_THREADS_ATTACHED || code == TZP_NOT_RECOGNISED ||
           (code >= TZP_USB_ERROR && code <= TZP_USB_ERROR_LAST);
}

}  // namespace tz::tools
