#include "device_release.h"

#include <algorithm>

#include "device_table.h"
#include "library_state.h"
#include "printer_context.h"

namespace tz::lib {
namespace {

int scan_limit(const PrinterContext& context) { return std::min<int>(context.scan_range, kDeviceTableSize); }

}  // namespace

void release_device_mutexes(PrinterContext& context) {
    DeviceTable& table = device_table();
    for (int i = 0; i < scan_limit(context); ++i) {
        DeviceEntry& entry = table[static_cast<size_t>(i)];
        std::shared_ptr<platform::NamedMutex> mutex = entry.mutex.exchange(nullptr_mutex());
        if (!mutex) continue;
        mutex->release();  // fails harmlessly when this thread does not hold it
        entry.fill_serial(0);
    }
}

void close_devices(PrinterContext& context) {
    DeviceTable& table = device_table();
    const UsbApi& usb = context.usb.api();
    for (int i = 0; i < scan_limit(context); ++i) {
        DeviceEntry& entry = table[static_cast<size_t>(i)];
        if (entry.in_use()) {
            if (usb.Close != nullptr) usb.Close(entry.device);
            entry.device = -1;
            entry.model_key = 0;
            entry.fill_serial(0);
            std::shared_ptr<platform::NamedMutex> mutex = entry.mutex.exchange(nullptr_mutex());
            if (mutex) mutex->release();
        }
        close_write_pipe(usb, entry.write_pipe);
        close_read_pipe(usb, entry.read_pipe);
    }
    context_table().device_tables_ready = false;
    context.first_selection_done = false;
}

}  // namespace tz::lib
