// The context of one calling thread: its binding of the outside libraries,
// its buffers, the printer it has selected and its settings.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include "acquisition.h"
#include "device_table.h"
#include "command_sender.h"
#include "printing/channel_tables.h"
#include "printing/color_binding.h"
#include "printing/color_block_match.h"
#include "printing/image_converter.h"
#include "printing/page_stream.h"
#include "printing/mtf_kernel.h"
#include "printing/print_job_state.h"
#include "response_receiver.h"
#include "result_codes.h"
#include "transport.h"
#include "usb_binding.h"

namespace tz::lib {

class MotReader;
struct DownloadTransfer;

// Sizes of the buffers every context owns for printing.
inline constexpr size_t kLineBufferSize = 16392;
inline constexpr size_t kTransferBlockSize = 4096;

// An owned byte buffer whose allocation failure is a result code, not an exception.
struct Buffer {
    std::unique_ptr<uint8_t[]> data;
    size_t size = 0;
    bool allocate(size_t bytes, uint8_t fill);
    void free();
};

class PrinterContext {
public:
    PrinterContext();
    ~PrinterContext();
    PrinterContext(const PrinterContext&) = delete;
    PrinterContext& operator=(const PrinterContext&) = delete;

    // Makes the context ready: binds the outside libraries, allocates the
    // buffers, fills the device table at the first call of the process and
    // selects printer 0 once. Calling it again finds everything in place.
    ResultCode initialise();
    // The same for a download context: the colour library is not bound.
    ResultCode initialise_for_download(int mode);
    // Closes the printers and pipes, frees the buffers, unbinds the libraries.
    void release();

    // Frame state.
    bool initialised = false;
    bool first_selection_done = false;
    bool download_mode_flag = false;
    int download_mode = -1;

    UsbBinding usb;
    ColorBinding color;

    Buffer line_buffer;       // 16392 bytes
    uint32_t line_fill = 0;
    Buffer transfer_block;    // 4096 bytes
    uint32_t transfer_sizes[2] = {kTransferBlockSize, kTransferBlockSize};
    Buffer line_assembly;     // 16392 bytes, filled with 0xFF

    PipeFields pipes;
    std::atomic<uint8_t> selected_index{kNoPrinter};
    Serial selected_serial{};
    // Which printer the selection points at: the entry's generation and the
    // serial it had when selected. An entry that has moved on since is a
    // stale selection, never another printer.
    std::atomic<uint32_t> selected_generation{0};
    AtomicSerial selected_printer_serial;

    PrintJobState job;
    // The write path: tables, colour matching, the converter and its way
    // into the page stream.
    ConversionTables tables;
    BindingMatcher matcher{color};
    PageStreamSink sink{*this};
    std::unique_ptr<ImageConverter> converter;
    // The printer held from a page's start to its end.
    PrinterHold page_hold;
    // The sharpening kernel of the next page start; the identity, disabled,
    // from creation on.
    MtfKernel mtf = MtfKernel::identity();

    // Device numbers enumeration looks at; every number the USB control
    // library can report, so that printers that come back are found.
    uint16_t scan_range = 128;
    uint16_t opened_count = 0;

    std::unique_ptr<Transport> transport;
    std::unique_ptr<CommandSender> sender;
    std::unique_ptr<ResponseReceiver> receiver;

    // Made by a download open only: the running download and the MOT file reader.
    std::unique_ptr<DownloadTransfer> download;
    std::unique_ptr<MotReader> mot_reader;

private:
    void set_defaults();
};

}  // namespace tz::lib
