// The printers' life in the server: found (every printer the library lists
// is added, named by its serial), watched (state reasons and supplies follow
// the printer while it is idle), identified (the LED flashes).
#pragma once

#include <pappl/pappl.h>

namespace tz::app {

// The library's state code shown as the printer's reasons.
void show_printer_state(pappl_printer_t* printer, unsigned code);

// PAPPL's status callback: asks the printer's link for a fresh look, without
// waiting for it.
bool poll_printer(pappl_printer_t* printer);

// Flashes the printer's LED (identify-printer).
void identify_printer(pappl_printer_t* printer);

// Starts the timers: every printer that appears is added (every 5 s), and
// every printer's state is looked at (every 2 s) while no job asks it.
void start_printer_watch(pappl_system_t* system);

}  // namespace tz::app
