#include "discovery.h"

#include <cstring>
#include <mutex>
#include <string>

#include "library_state.h"
#include "printer_context.h"
#include "device_release.h"
#include "selection.h"

namespace tz::lib {
namespace {

constexpr size_t kDeviceNameSize = 260;
constexpr size_t kIdStringSize = 260;
constexpr size_t kSerialOffset = 110;
// How long enumeration waits for a printer another process is using.
constexpr uint32_t kEnumerationWaitMs = 500;

// The device's cross-process mutex: the device name from its fifth character
// on.
std::shared_ptr<platform::NamedMutex> open_device_mutex(const char* name) {
    size_t length = ::strnlen(name, kDeviceNameSize);
    if (length <= 4) return nullptr;
    return std::shared_ptr<platform::NamedMutex>(platform::NamedMutex::open(std::string(name + 4, length - 4)));
}

bool is_supported_model(const char* name) {
    return ::strnlen(name, kDeviceNameSize) >= 25 && std::memcmp(name + 12, "0f3c", 4) == 0 &&
           std::memcmp(name + 21, "5a17", 4) == 0;
}

// Looks up the model's pipes and asks for both pipe handles of entry h.
bool open_pipes(PrinterContext& context, int handle) {
    DeviceEntry& entry = device_table()[static_cast<size_t>(handle)];
    const ModelEntry* model = find_model(entry.model_key());
    if (model == nullptr) return false;
    context.pipes.read_pipe_number = model->read_pipe_number;
    context.pipes.write_pipe_number = model->write_pipe_number;
    const UsbApi& usb = context.usb.api();
    entry.set_pipes(usb.GetPipeHandle(handle, 0, model->write_pipe_number, 0),
                    usb.GetPipeHandle(handle, 0, model->read_pipe_number, 0));
    return entry.read_pipe() != -1 && entry.write_pipe() != -1;
}

bool valid_handle(int handle) { return handle >= 0 && handle < kDeviceTableSize; }

// The context's selection after a look at the devices: kept when its entry
// still holds the same connection, moved to the new connection when the same
// printer came back into the entry, and left stale (operations give
// TZP_NOT_RECOGNISED) when another printer took the entry.
void reselect_after_enumeration(PrinterContext& context, uint8_t selected) {
    if (selected >= kDeviceTableSize) return;
    DeviceEntry& entry = device_table()[selected];
    if (selection_current(context) || (entry.in_use() && entry.serial() == context.selection.load().serial)) {
        if (context.has_parts()) context.parts().selected_by_index();  // as a selection by index does
        point_at(context, selected);
    }
}

}  // namespace

uint16_t enumerate(PrinterContext& context, uint8_t* list) {
    if (!context.usb.loaded()) return 0;
    const UsbApi& usb = context.usb.api();
    DeviceTable& table = device_table();
    const uint8_t selected = context.selection.index();
    // Printers that have gone since the last look leave the table first, so
    // that what this call lists is what is there now.
    sweep_devices(context);
    uint16_t count = 0;
    uint16_t opened = 0;

    for (uint16_t number = 0; number < context.scan_range && count < kDeviceTableSize; ++number) {
        char name[kDeviceNameSize] = {};
        int handle = usb.CheckDeviceName(number);
        if (handle != -1) {
            // Already open in this process: listed as it is.
            if (!valid_handle(handle)) continue;
            DeviceEntry& entry = table[static_cast<size_t>(handle)];
            if (entry.device() != handle) entry.occupy(handle);
            if (usb.GetDeviceName(handle, name) == 1) entry.set_mutex(open_device_mutex(name));
            list[count++] = static_cast<uint8_t>(handle);
            continue;
        }
        handle = usb.Open(number);
        if (handle == -1) continue;
        if (!valid_handle(handle)) {  // a USB library breaking its promise: not ours to use
            usb.Close(handle);
            continue;
        }
        DeviceEntry& entry = table[static_cast<size_t>(handle)];
        entry.occupy(handle);
        usb.GetDeviceName(handle, name);
        name[kDeviceNameSize - 1] = '\0';
        std::shared_ptr<platform::NamedMutex> mutex = open_device_mutex(name);
        entry.set_mutex(mutex);
        context.opened_count = ++opened;
        bool held = false;
        if (mutex) {
            platform::WaitResult wait = mutex->wait(kEnumerationWaitMs);
            held = wait == platform::WaitResult::Obtained || wait == platform::WaitResult::Abandoned;
        }

        bool listed = false;
        if (is_supported_model(name)) {
            entry.set_model_key(kSupportedModelKey);
            if (open_pipes(context, handle)) {
                uint8_t id[kIdStringSize] = {};
                uint32_t size = kIdStringSize;
                if (usb.GetDeviceIDString(handle, id, &size) == 1) {
                    Serial serial;
                    std::memcpy(serial.data(), id + kSerialOffset, kSerialSize);
                    // The context's pipe fields stay on the printer it
                    // selected: its own thread may be talking to that printer
                    // right now.
                    entry.set_serial(serial);
                    list[count++] = static_cast<uint8_t>(handle);
                    listed = true;
                }
            }
        }

        if (held) mutex->release();
        if (!listed) {
            // Not a printer of ours, or it cannot be talked to: give it back.
            close_write_pipe(usb, entry.take_write_pipe());
            close_read_pipe(usb, entry.take_read_pipe());
            entry.set_mutex(nullptr);
            usb.Close(handle);
            entry.vacate();
        }
    }

    if (selected != kNoPrinter) reselect_after_enumeration(context, selected);
    return count;
}

uint16_t list_printers(uint8_t* indexes) {
    std::lock_guard guard(library_lock());
    if (indexes == nullptr) return 0;
    std::memset(indexes, 0xFF, kDeviceTableSize);
    PrinterContext* context = context_table().contexts[0];
    if (context == nullptr) return 0;
    return enumerate(*context, indexes);
}

uint16_t list_printer_serials(char* serials) {
    std::lock_guard guard(library_lock());
    if (serials == nullptr) return 0;
    std::memset(serials, 0xFF, kDeviceTableSize * kSerialSize);
    PrinterContext* context = context_table().contexts[0];
    if (context == nullptr) return 0;
    uint8_t list[kDeviceTableSize];
    std::memset(list, 0xFF, sizeof list);
    uint16_t count = enumerate(*context, list);
    if (count == 0 || count >= kDeviceTableSize) return 0;
    for (uint16_t i = 0; i < count; ++i) {
        Serial serial = device_table()[list[i]].serial();
        std::memcpy(serials + i * kSerialSize, serial.data(), kSerialSize);
    }
    return count;
}

}  // namespace tz::lib
