// The context of one calling thread: its binding of the USB control
// library, the printer it has selected, its transport to that printer, and
// the parts the layers above keep in it.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "command_sender.h"
#include "context_parts.h"
#include "device_table.h"
#include "response_receiver.h"
#include "result_codes.h"
#include "selected_printer.h"
#include "transport.h"
#include "usb_binding.h"

namespace tz::lib {

class PrinterContext {
public:
    // `parts` makes what the layers above keep in the context.
    explicit PrinterContext(ContextPartsFactory parts);
    ~PrinterContext();
    PrinterContext(const PrinterContext&) = delete;
    PrinterContext& operator=(const PrinterContext&) = delete;

    // Makes the context ready: binds the USB control library, readies the
    // parts, fills the device table at the first call of the process and
    // selects printer 0 once. Calling it again finds everything in place.
    ResultCode initialise(OpenKind kind);
    // Closes the printers and pipes, releases the parts, unbinds the library.
    void release();

    ContextParts& parts() { return *parts_; }
    bool has_parts() const { return parts_ != nullptr; }

    bool initialised = false;
    bool first_selection_done = false;

    UsbBinding usb;

    PipeFields pipes;
    SelectionSlot selection;
    // The serial tzpusb_selectPrinterSN hands back: the caller reads it
    // through the pointer it returns.
    Serial returned_serial{};

    // Device numbers enumeration looks at; every number the USB control
    // library can report, so that printers that come back are found.
    uint16_t scan_range = 128;
    uint16_t opened_count = 0;

    std::unique_ptr<Transport> transport;
    std::unique_ptr<CommandSender> sender;
    std::unique_ptr<ResponseReceiver> receiver;

private:
    void set_defaults();

    std::unique_ptr<ContextParts> parts_;
};

}  // namespace tz::lib
