// The printer's own web page, beside PAPPL's: the firmware table, the
// serial, the print counter, the media and the error log, read through the
// library. It only reads; it changes nothing.
#pragma once

#include <pappl/pappl.h>

namespace tz::app {

// PAPPL's create callback: adds the page (ipp/print/NAME/details) and links
// it from the printer's pages.
void add_details_page(pappl_printer_t* printer, void* data);
// Removes it again when the printer is deleted.
void remove_details_page(pappl_printer_t* printer);

}  // namespace tz::app
