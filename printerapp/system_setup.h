// The system for `server` (and for the sub-commands that need one): options
// checked, listeners, the state file written by our own save callback, the
// printers found and watched, our pages and filters.
#pragma once

#include <pappl/pappl.h>

namespace tz::app {

// PAPPL's system callback; `data` is the Application. Nothing (and a
// message on stderr) when the options do not hold.
pappl_system_t* system_callback(int count, cups_option_t* options, void* data);

}  // namespace tz::app
