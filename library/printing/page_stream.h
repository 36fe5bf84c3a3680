// The page's byte stream to the printer: whole lines assembled in the line
// buffer, packed into 4096-byte transfer blocks that go out by direct writes
// as they fill, the last one as soon as the page's last byte is queued.
#pragma once

#include <cstdint>

#include "core/result_codes.h"
#include "printing/image_converter.h"

namespace tz::lib {

class PrinterContext;

// Empties the stream for a new page: no bytes of a line held, the line
// buffer white (0xFF), the transfer block empty.
void reset_page_stream(PrinterContext& context);

// Takes `count` bytes of any size (an incomplete line waits for later
// calls). 2600 when a block cannot be sent: the bytes the printer took are
// dropped from the block, the rest stays in it. A write that takes only part
// of a block is followed by the rest, so that no byte of a page is lost or
// sent twice.
bool page_stream_write(PrinterContext& context, const uint8_t* data, uint32_t count, ResultCode& code);

// The converter's way into the context's stream.
class PageStreamSink final : public PixelSink {
public:
    explicit PageStreamSink(PrinterContext& context) : context_(context) {}
    bool put(const uint8_t* bytes, uint32_t count) override {
        ResultCode ignored = TZP_OK;
        return page_stream_write(context_, bytes, count, ignored);
    }

private:
    PrinterContext& context_;
};

}  // namespace tz::lib
