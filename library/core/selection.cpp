#include "selection.h"

#include <cstring>
#include <mutex>

#include "device_table.h"
#include "library_state.h"
#include "printer_context.h"

namespace tz::lib {

bool printer_present(const PrinterContext& context, const DeviceEntry& entry) {
    int device = entry.device();
    if (device == -1) return false;
    const UsbApi& usb = context.usb.api();
    return usb.CheckDevice == nullptr || usb.CheckDevice(device) != 0;
}

bool selection_current(const PrinterContext& context) { return selection_current(context.selection.load()); }

bool selection_current(const Selection& selected) {
    if (!selected.made()) return false;
    const DeviceEntry& entry = device_table()[selected.index];
    return entry.in_use() && entry.generation() == selected.generation;
}

ResultCode pipes_reach_printer(const PrinterContext& context) {
    return selection_current(context) ? TZP_OK : TZP_USB_ERROR;
}

void point_at(PrinterContext& context, uint8_t index) {
    DeviceEntry& entry = device_table()[index];
    Selection selected;
    selected.index = index;
    selected.generation = entry.generation();
    selected.serial = entry.serial();
    selected.write_pipe = entry.write_pipe();
    selected.read_pipe = entry.read_pipe();
    selected.answers_owed = &entry.answers_owed();
    context.selection.store(selected);
}

ResultCode select_by_index(PrinterContext& context, int index_argument, uint8_t& selected) {
    selected = kNoPrinter;
    int index = index_argument & 0xFF;  // an 8-bit argument passed as int
    DeviceTable& table = device_table();
    if (index == kNoPrinter) {
        const uint8_t current = context.selection.index();
        if (current >= kDeviceTableSize || !selection_current(context) || !printer_present(context, table[current]))
            return TZP_NOT_FOUND;
        selected = current;
        return TZP_OK;
    }
    if (index >= kDeviceTableSize || !printer_present(context, table[static_cast<size_t>(index)])) return TZP_NOT_FOUND;
    if (context.has_parts()) context.parts().selected_by_index();
    point_at(context, static_cast<uint8_t>(index));
    selected = static_cast<uint8_t>(index);
    return TZP_OK;
}

ResultCode select_by_serial(PrinterContext& context, const char* serial, char*& selected) {
    // The caller reads the context's serial through the pointer, found or not.
    selected = reinterpret_cast<char*>(context.returned_serial.data());
    DeviceTable& table = device_table();
    if (serial != nullptr) {
        int limit = std::min<int>(context.scan_range, kDeviceTableSize);
        for (int i = 0; i < limit; ++i) {
            DeviceEntry& entry = table[static_cast<size_t>(i)];
            Serial candidate = entry.serial();
            if (std::memcmp(candidate.data(), serial, kSerialSize) != 0) continue;
            // An entry whose printer has gone may still carry the serial until
            // it is swept; the printer may be listed again in another entry.
            if (!printer_present(context, entry)) continue;
            point_at(context, static_cast<uint8_t>(i));
            context.returned_serial = candidate;
            return TZP_OK;
        }
        return TZP_NOT_FOUND;
    }
    const uint8_t current = context.selection.index();
    if (current >= kDeviceTableSize) return TZP_NOT_FOUND;
    context.returned_serial = table[current].serial();
    return selection_current(context) && printer_present(context, table[current]) ? TZP_OK : TZP_NOT_FOUND;
}

void deselect(PrinterContext& context) {
    const Selection selected = context.selection.load();
    if (!selected.made()) return;
    context.selection.forget_pipes();
    // The entry has been given up, or holds another connection now: the
    // context's pipe handles are not its to close.
    if (!selection_current(context)) return;
    DeviceEntry& entry = device_table()[selected.index];
    const UsbApi& usb = context.usb.api();
    if (entry.take_write_pipe() != -1) close_write_pipe(usb, selected.write_pipe);
    if (entry.take_read_pipe() != -1) close_read_pipe(usb, selected.read_pipe);
    // Other contexts hold copies of the closed handles, whose numbers the
    // system may give out again: their selections of this connection end too.
    entry.move_on();
}

namespace {

// The calling thread's context, given a slot first; null when none is free.
PrinterContext* context_with_slot() {
    const int slot = assign_slot();
    return slot < 0 ? nullptr : context_table().contexts[slot].load();
}

}  // namespace

ResultCode select_printer(int index, uint8_t& selected) {
    selected = kNoPrinter;
    std::lock_guard guard(library_lock());
    PrinterContext* context = context_with_slot();
    return context == nullptr ? ResultCode{TZP_NO_CONTEXT} : select_by_index(*context, index, selected);
}

ResultCode select_printer_serial(const char* serial, char*& selected) {
    selected = nullptr;
    std::lock_guard guard(library_lock());
    PrinterContext* context = context_with_slot();
    return context == nullptr ? ResultCode{TZP_NO_CONTEXT} : select_by_serial(*context, serial, selected);
}

}  // namespace tz::lib
