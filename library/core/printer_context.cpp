#include "printer_context.h"

#include <cstring>
#include <new>

#include "device_release.h"
#include "discovery.h"
#include "io_timeout.h"
#include "library_state.h"
#include "selection.h"

namespace tz::lib {

PrinterContext::PrinterContext(ContextPartsFactory parts) : parts_(parts != nullptr ? parts(*this) : nullptr) {}

PrinterContext::~PrinterContext() = default;

void PrinterContext::set_defaults() {
    pipes.read_length = 512;
    selection.clear();
    returned_serial.fill(0xFF);
    scan_range = 128;
    opened_count = 0;
    initialised = true;
}

ResultCode PrinterContext::initialise(OpenKind kind) {
    ContextTable& table = context_table();
    DeviceTable& devices = device_table();
    if (!table.device_tables_ready) devices.reset(0xFF);
    if (!initialised) set_defaults();
    io_timeout_ms();  // a bad setting is named at the first open, not at the first transfer

    if (!parts_) return TZP_NO_MEMORY;
    if (!transport) {
        transport.reset(new (std::nothrow) Transport(pipes, selection));
        if (!transport) return TZP_NO_MEMORY;
    }
    if (!sender) {
        sender.reset(new (std::nothrow) CommandSender(*transport));
        if (!sender) return TZP_NO_MEMORY;
    }
    if (!receiver) {
        receiver.reset(new (std::nothrow) ResponseReceiver(*transport));
        if (!receiver) return TZP_NO_MEMORY;
    }
    if (!usb.bind()) return TZP_NO_USB_LIBRARY;
    if (ResultCode code = parts_->ready(kind); code != TZP_OK) return code;

    if (!table.device_tables_ready) {
        devices.reset(0x00);
        PrinterContext* first = table.contexts[0];
        if (first == nullptr) first = this;
        uint8_t list[kDeviceTableSize];
        std::memset(list, 0xFF, sizeof list);
        uint16_t found = enumerate(*first, list);
        if (found == 0) return TZP_NO_PRINTER;
        table.device_tables_ready = true;
    }

    if (!first_selection_done) {
        uint8_t ignored = kNoPrinter;
        select_by_index(*this, 0, ignored);  // without printer 0 the context starts with none
        first_selection_done = true;
    }
    return TZP_OK;
}

void PrinterContext::release() {
    if (parts_) parts_->release();
    release_device_mutexes(*this);
    close_devices(*this);
    usb.unbind();
    sender.reset();
    receiver.reset();
    transport.reset();
}

}  // namespace tz::lib
