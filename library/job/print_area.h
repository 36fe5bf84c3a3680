// The print area of the next pages (printer-information tag 0 on the write
// side): checked against the loaded media's largest print size.
#pragma once

#include <cstdint>

#include "core/result_codes.h"

namespace tz::lib {

class PrinterContext;
struct PrintJobState;

inline constexpr uint32_t kPrintAreaRecordSize = 10;

struct PrintAreaSize {
    uint16_t width = 0;
    uint16_t height = 0;
};

// The width (bytes 1-2) and height (bytes 3-4, host byte order) of the
// caller's record; false when it is shorter than 10 bytes.
bool parse_print_area(const uint8_t* record, uint32_t size, PrintAreaSize& area);
// Whether the area suits the media record of tag 0 (`count` bytes; largest
// print width at bytes 4-5, height at 6-7, little-endian): even sizes no
// larger than the media's.
bool print_area_fits(const PrintAreaSize& area, const uint8_t* media, uint32_t count);

// Clears the print-area flag, then checks and stores the area:
// TZP_BAD_PARAMETER for a short record, TZP_NO_PAPER_INFO when the media
// cannot be read or the area does not suit it. The caller holds the printer.
ResultCode set_print_area(PrinterContext& context, PrintJobState& job, const uint8_t* record, const uint32_t* size);

}  // namespace tz::lib
