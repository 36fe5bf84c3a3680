#include "printer_context.h"

#include <cstring>
#include <new>

#include "device_release.h"
#include "discovery.h"
#include "download/download_mode.h"
#include "download/mot_reader.h"
#include "io_timeout.h"
#include "library_state.h"
#include "selection.h"

namespace tz::lib {

bool Buffer::allocate(size_t bytes, uint8_t fill) {
    if (data) return true;
    data.reset(new (std::nothrow) uint8_t[bytes]);
    if (!data) return false;
    std::memset(data.get(), fill, bytes);
    size = bytes;
    return true;
}

void Buffer::free() {
    data.reset();
    size = 0;
}

PrinterContext::PrinterContext() = default;

PrinterContext::~PrinterContext() = default;

void PrinterContext::set_defaults() {
    pipes.read_length = 512;
    selected_index = kNoPrinter;
    selected_serial.fill(0xFF);
    scan_range = 128;
    opened_count = 0;
    job = PrintJobState{};
    initialised = true;
}

ResultCode PrinterContext::initialise() {
    ContextTable& table = context_table();
    DeviceTable& devices = device_table();
    if (!table.device_tables_ready) devices.reset(0xFF);
    if (!initialised) set_defaults();
    io_timeout_ms();  // a bad setting is named at the first open, not at the first transfer

    if (!transport) {
        transport.reset(new (std::nothrow) Transport(pipes, &selected_printer_serial));
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
    if (!download_mode_flag && !color.load()) return TZP_NO_COLOR_LIBRARY;

    if (!line_buffer.data) line_fill = 0;
    if (!line_buffer.allocate(kLineBufferSize, 0)) return TZP_NO_MEMORY;
    if (!transfer_block.allocate(kTransferBlockSize, 0)) return TZP_NO_MEMORY;
    if (!line_assembly.allocate(kLineBufferSize, 0xFF)) return TZP_NO_MEMORY;
    if (!converter) {
        converter.reset(new (std::nothrow) ImageConverter(job, tables, mtf, matcher, sink));
        if (!converter || !converter->allocate()) {
            converter.reset();
            return TZP_NO_MEMORY;
        }
    }

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
        ResultCode ignored;
        select_by_index(*this, 0, ignored);
        first_selection_done = true;
    }
    return TZP_OK;
}

ResultCode PrinterContext::initialise_for_download(int mode) {
    if (!download) {
        download.reset(new (std::nothrow) DownloadTransfer);
        if (!download) return TZP_NO_MEMORY;
    }
    if (!mot_reader) {
        mot_reader.reset(new (std::nothrow) MotReader);
        if (!mot_reader) return TZP_NO_MEMORY;
    }
    download_mode = mode;
    download_mode_flag = true;
    ResultCode code = initialise();
    download_mode_flag = false;
    if (code != TZP_OK) download_mode = -1;
    return code;
}

void PrinterContext::release() {
    page_hold.release();
    release_device_mutexes(*this);
    line_buffer.free();
    line_fill = 0;
    transfer_block.free();
    transfer_sizes[0] = transfer_sizes[1] = 0;
    line_assembly.free();
    converter.reset();
    close_devices(*this);
    color.unload();
    usb.unbind();
    sender.reset();
    receiver.reset();
    transport.reset();
    download.reset();
    mot_reader.reset();
    download_mode = -1;
}

}  // namespace tz::lib
