#include "selection.h"

#include <cstring>
#include <mutex>

#include "device_table.h"
#include "library_state.h"
#include "printer_context.h"

namespace tz::lib {

uint8_t select_by_index(PrinterContext& context, int index_argument, ResultCode& code) {
    code = TZP_NOT_FOUND;
    int index = index_argument & 0xFF;  // an 8-bit argument passed as int
    DeviceTable& table = device_table();
    if (index == kNoPrinter) {
        uint8_t current = context.selected_index;
        if (current >= kDeviceTableSize || !table[current].in_use()) return kNoPrinter;
        code = TZP_OK;
        return current;
    }
    if (index >= kDeviceTableSize || !table[static_cast<size_t>(index)].in_use()) return kNoPrinter;
    DeviceEntry& entry = table[static_cast<size_t>(index)];
    context.job.setting20 = 2;
    context.selected_index = static_cast<uint8_t>(index);
    context.pipes.write_pipe = entry.write_pipe.load();
    context.pipes.read_pipe = entry.read_pipe.load();
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
            if (entry.in_use()) {
                context.selected_index = static_cast<uint8_t>(i);
                context.selected_serial = candidate;
                context.pipes.write_pipe = entry.write_pipe.load();
                context.pipes.read_pipe = entry.read_pipe.load();
                code = TZP_OK;
            }
            break;  // the first entry with that serial decides
        }
    } else {
        uint8_t current = context.selected_index;
        if (current < kDeviceTableSize) {
            context.selected_serial = table[current].serial();
            if (table[current].in_use()) code = TZP_OK;
        }
    }
    return reinterpret_cast<char*>(context.selected_serial.data());
}

void deselect(PrinterContext& context) {
    uint8_t current = context.selected_index;
    if (current >= kDeviceTableSize) return;
    // The entry may have lost its device already (the sweep closed it);
    // its pipes are dead all the same.
    DeviceEntry& entry = device_table()[current];
    const UsbApi& usb = context.usb.api();
    if (entry.write_pipe != -1) {
        close_write_pipe(usb, context.pipes.write_pipe);
        entry.write_pipe = -1;
    }
    if (entry.read_pipe != -1) {
        close_read_pipe(usb, context.pipes.read_pipe);
        entry.read_pipe = -1;
    }
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
