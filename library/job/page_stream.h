// The page's byte stream to the printer: whole lines assembled in the line
// buffer, packed into 4096-byte transfer blocks that go out by direct writes
// as they fill, the last one as soon as the page's last byte is queued.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/result_codes.h"
#include "image/image_converter.h"
#include "print_job_state.h"

namespace tz::lib {

class PrinterContext;

inline constexpr size_t kTransferBlockSize = 4096;
// One line of the longest page, and a little more.
inline constexpr size_t kLineAssemblySize = 16392;

class PageStream final : public PixelSink {
public:
    // `context` is the transport's; `job` gives the line size and counts the
    // bytes queued against those expected.
    PageStream(PrinterContext& context, PrintJobState& job) : context_(context), job_(job) {}

    // The transfer block and the line buffer, once; false when memory is short.
    bool allocate();
    void free();

    // Empties the stream for a new page: no bytes of a line held, the line
    // buffer white (0xFF), the transfer block empty.
    void reset();

    // Takes `count` bytes of any size (an incomplete line waits for later
    // calls). TZP_USB_ERROR when a block cannot be sent: the bytes the printer took
    // are dropped from the block, the rest stays in it. A write that takes
    // only part of a block is followed by the rest, so that no byte of a page
    // is lost or sent twice.
    ResultCode write(const uint8_t* data, uint32_t count);

    // The converter's way in.
    bool put(const uint8_t* bytes, uint32_t count) override { return write(bytes, count) == TZP_OK; }

private:
    ResultCode send_block();
    ResultCode queue_line(const uint8_t* line, uint32_t length);

    PrinterContext& context_;
    PrintJobState& job_;
    std::unique_ptr<uint8_t[]> block_;
    uint32_t block_free_ = kTransferBlockSize;
    std::unique_ptr<uint8_t[]> line_;
    uint32_t line_fill_ = 0;  // bytes of a line held
};

}  // namespace tz::lib
