// PAPPL's raster callbacks: a job takes its printer's gate, each page is
// gathered whole, checked, and handed to the printer's link to be printed
// and followed to its end.
#pragma once

#include <pappl/pappl.h>

namespace tz::app {

void set_raster_callbacks(pappl_pr_driver_data_t& data);

}  // namespace tz::app
