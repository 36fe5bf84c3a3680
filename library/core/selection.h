// Choosing the printer a context talks to.
#pragma once

#include <cstdint>

#include "result_codes.h"

namespace tz::lib {

class PrinterContext;

class DeviceEntry;
struct Selection;

// The entry has a device and the USB control library still reports it attached.
bool printer_present(const PrinterContext& context, const DeviceEntry& entry);
// The context's selection still points at the connection it selected: the
// entry has not been given up or taken by another device since.
bool selection_current(const PrinterContext& context);
// The same for a selection the caller has read.
bool selection_current(const Selection& selected);
// For the operations that write to the selected printer's pipes without
// holding it: TZP_OK when the selection still reaches its connection, else
// TZP_USB_ERROR and nothing may be written (the handles may be closed, and
// their numbers given to another connection).
ResultCode pipes_reach_printer(const PrinterContext& context);
// Points the context at entry `index`: its pipes, generation and serial.
void point_at(PrinterContext& context, uint8_t index);

// Selects device-table entry `index` (255: confirm the current selection)
// and hands back the selected index; TZP_NOT_FOUND (index 255) when there is
// no such printer.
ResultCode select_by_index(PrinterContext& context, int index, uint8_t& selected);
// Selects the printer with this 8-byte serial, or with null refreshes the
// context's selected serial, and hands back the context's selected serial;
// TZP_NOT_FOUND when there is no such printer.
ResultCode select_by_serial(PrinterContext& context, const char* serial, char*& selected);
// Forgets the pipes of the context's printer when it has gone.
void deselect(PrinterContext& context);

// The select exports: they give the calling thread a slot first
// (TZP_NO_CONTEXT when none is free).
ResultCode select_printer(int index, uint8_t& selected);
ResultCode select_printer_serial(const char* serial, char*& selected);

}  // namespace tz::lib
