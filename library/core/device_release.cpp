#include "device_release.h"

#include <algorithm>

#include "device_table.h"
#include "library_state.h"
#include "platform/named_mutex.h"
#include "printer_context.h"
#include "selection.h"

namespace tz::lib {
namespace {

int scan_limit(const PrinterContext& context) { return std::min<int>(context.scan_range, kDeviceTableSize); }

}  // namespace

DeviceMutexTry::DeviceMutexTry(platform::NamedMutex* mutex, uint32_t timeout_ms) : mutex_(mutex) {
    if (mutex_ == nullptr) return;
    platform::WaitResult wait = mutex_->wait(timeout_ms);
    held_ = wait == platform::WaitResult::Obtained || wait == platform::WaitResult::Abandoned;
}

DeviceMutexTry::~DeviceMutexTry() {
    if (held_) mutex_->release();
}

void sweep_devices(PrinterContext& context) {
    if (!context.usb.loaded()) return;
    const UsbApi& usb = context.usb.api();
    for (int i = 0; i < scan_limit(context); ++i) {
        DeviceEntry& entry = device_table()[static_cast<size_t>(i)];
        if (!entry.in_use() || printer_present(context, entry)) continue;
        std::shared_ptr<platform::NamedMutex> mutex = entry.mutex();
        {
            // While an operation holds the printer its pipes stay as they are;
            // the operation fails on its own and a later pass closes them.
            DeviceMutexTry hold(mutex.get(), kPresenceWaitMs);
            if (mutex && !hold.held()) continue;
            close_write_pipe(usb, entry.take_write_pipe());
            close_read_pipe(usb, entry.take_read_pipe());
            usb.Close(entry.device());
            entry.vacate();
        }
        entry.set_mutex(nullptr);
    }
}

void release_device_mutexes(PrinterContext& context) {
    DeviceTable& table = device_table();
    for (int i = 0; i < scan_limit(context); ++i) {
        DeviceEntry& entry = table[static_cast<size_t>(i)];
        std::shared_ptr<platform::NamedMutex> mutex = entry.take_mutex();
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
        // The pipes go first: once the device is closed, the USB control
        // library may hand their numbers out again.
        close_write_pipe(usb, entry.take_write_pipe());
        close_read_pipe(usb, entry.take_read_pipe());
        if (entry.in_use()) {
            if (usb.Close != nullptr) usb.Close(entry.device());
            entry.vacate();
            std::shared_ptr<platform::NamedMutex> mutex = entry.take_mutex();
            if (mutex) mutex->release();
        }
    }
    context_table().device_tables_ready = false;
    context.first_selection_done = false;
}

}  // namespace tz::lib
