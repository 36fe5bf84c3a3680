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

bool selection_current(const PrinterContext& context) {
    const Selection selected = context.selection.load();
    if (!selected.made()) return false;
    const DeviceEntry& entry = device_table()[selected.index];
    return entry.in_use() && entry.generation() == selected.generation;
}

bool pipes_reach_printer(const PrinterContext& context, ResultCode& code) {
    if (selection_current(context)) return true;
    code = TZP_USB_ERROR;
    return false;
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

uint8_t select_by_index(PrinterContext& context, int index_argument, ResultCode& code) {
    code = TZP_NOT_FOUND;
    int index = index_argument & 0xFF;  // an 8-bit argument passed as int
    DeviceTable& table = device_table();
    if (index == kNoPrinter) {
        const uint8_t current = context.selection.index();
        if (current >= kDeviceTableSize || !selection_current(context) || !printer_present(context, table[current]))
            return kNoPrinter;
        code = TZP_OK;
        return current;
    }
    if (index >= kDeviceTableSize || !printer_present(context, table[static_cast<size_t>(index)])) return kNoPrinter;
    if (context.has_parts()) context.parts().selected_by_index();
    point_at(context, static_cast<uint8_t>(index));
    code = TZP_OK;
    return static_cast<uint8_t>(index);
}

char* select_by_serial(PrinterContext& context, const char* serial, ResultCode& code) {
    code = TZP_NOT_FOUND;
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
            code = TZP_OK;
            break;
        }
    } else {
        const uint8_t current = context.selection.index();
        if (current < kDeviceTableSize) {
            context.returned_serial = table[current].serial();
            if (selection_current(context) && printer_present(context, table[current])) code = TZP_OK;
        }
    }
    return reinterpret_cast<char*>(context.returned_serial.data());
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

uint8_t select_printer(int index, uint16_t* result) {
    store(result, TZP_NO_CONTEXT);
    std::lock_guard guard(library_lock());
    int slot = assign_slot();
    PrinterContext* context = slot < 0 ? nullptr : context_table().contexts[slot].load();
    if (context == nullptr) return kNoPrinter;
    ResultCode code;
    uint8_t selected = select_by_index(*context, index, code);
    store(result, code);
    return selected;
}

char* select_printer_serial(const char* serial, uint16_t* result) {
    store(result, TZP_NO_CONTEXT);
    std::lock_guard guard(library_lock());
    int slot = assign_slot();
    PrinterContext* context = slot < 0 ? nullptr : context_table().contexts[slot].load();
    if (context == nullptr) return nullptr;
    ResultCode code;
    char* selected = select_by_serial(*context, serial, code);
    store(result, code);
    return selected;
}

}  // namespace tz::lib
