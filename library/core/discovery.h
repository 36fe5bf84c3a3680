// Finding the printers: enumeration into the device table and the two list
// operations.
#pragma once

#include <cstdint>

namespace tz::lib {

class PrinterContext;

// Looks at device numbers 0 .. scan range - 1 of `context`'s USB library,
// opens the supported printers into the device table and appends their
// table indexes to `list` (128 bytes). Returns the count. The context's
// selection is kept.
uint16_t enumerate(PrinterContext& context, uint8_t* list);

// The list exports; they enumerate with the context of slot 0.
uint16_t list_printers(uint8_t* indexes);
uint16_t list_printer_serials(char* serials);

}  // namespace tz::lib
