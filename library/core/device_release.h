// Giving the printers back when a context is released.
#pragma once

namespace tz::lib {

class PrinterContext;

// Releases and drops every printer mutex of the device table below the
// context's scan range, clearing the serials.
void release_device_mutexes(PrinterContext& context);
// Closes every printer and pipe of the device table below the context's scan
// range; the table must be filled again afterwards.
void close_devices(PrinterContext& context);

}  // namespace tz::lib
