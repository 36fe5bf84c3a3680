// Choosing the printer a context talks to.
#pragma once

#include <cstdint>

#include "result_codes.h"

namespace tz::lib {

class PrinterContext;

struct DeviceEntry;

// The entry has a device and the USB control library still reports it attached.
bool printer_present(const PrinterContext& context, const DeviceEntry& entry);
// The context's selection still points at the connection it selected: the
// entry has not been given up or taken by another device since.
bool selection_current(const PrinterContext& context);
// For the operations that write to the selected printer's pipes without
// holding it: true when the selection still reaches its connection, else
// 2600 and nothing may be written (the handles may be closed, and their
// numbers given to another connection).
bool pipes_reach_printer(const PrinterContext& context, ResultCode& code);
// Points the context at entry `index`: its pipes, generation and serial.
void point_at(PrinterContext& context, uint8_t index);

// Selects device-table entry `index` (255: confirm the current selection).
// Returns the selected index, or 255 with 1008 when there is no such printer.
uint8_t select_by_index(PrinterContext& context, int index, ResultCode& code);
// Selects the printer with this 8-byte serial, or with null refreshes the
// context's selected serial. Returns the context's selected serial.
char* select_by_serial(PrinterContext& context, const char* serial, ResultCode& code);
// Forgets the pipes of the context's printer when it has gone.
void deselect(PrinterContext& context);

// The select exports: they give the calling thread a slot first.
uint8_t select_printer(int index, uint16_t* result);
char* select_printer_serial(const char* serial, uint16_t* result);

}  // namespace tz::lib
