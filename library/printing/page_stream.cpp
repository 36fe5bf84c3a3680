#include "page_stream.h"

#include <algorithm>
#include <cstring>

#include "core/printer_context.h"
#include "core/selection.h"

namespace tz::lib {
namespace {

// The transfer block's size and free bytes live in the context's
// transfer_sizes[0] and [1]; the bytes of a line held, in line_fill.
uint32_t& block_free(PrinterContext& context) { return context.transfer_sizes[1]; }

// Sends what the block holds; true when it is empty afterwards.
bool send_block(PrinterContext& context, ResultCode& code) {
    uint8_t* block = context.transfer_block.data.get();
    uint32_t used = kTransferBlockSize - block_free(context);
    while (used > 0) {
        uint32_t written = 0;
        const bool ok = context.transport->direct_write(block, used, written, code);
        written = std::min(written, used);
        std::memmove(block, block + written, used - written);
        used -= written;
        block_free(context) = kTransferBlockSize - used;
        if (!ok || written == 0) {
            code = TZP_USB_ERROR;
            return false;
        }
    }
    return true;
}

// Moves one assembled line into transfer blocks, sending each block when it
// is full or holds the page's last byte.
bool queue_line(PrinterContext& context, const uint8_t* line, uint32_t length, ResultCode& code) {
    PrintJobState& job = context.job;
    uint8_t* block = context.transfer_block.data.get();
    while (length > 0) {
        const uint32_t free = block_free(context);
        const uint32_t piece = std::min(length, free);
        std::memcpy(block + (kTransferBlockSize - free), line, piece);
        block_free(context) = free - piece;
        job.bytes_queued += piece;
        line += piece;
        length -= piece;
        if ((block_free(context) == 0 || job.bytes_queued >= job.bytes_expected) && !send_block(context, code))
            return false;
    }
    return true;
}

}  // namespace

void reset_page_stream(PrinterContext& context) {
    context.line_fill = 0;
    std::memset(context.line_assembly.data.get(), 0xFF, context.line_assembly.size);
    context.transfer_sizes[0] = kTransferBlockSize;
    context.transfer_sizes[1] = kTransferBlockSize;
}

bool page_stream_write(PrinterContext& context, const uint8_t* data, uint32_t count, ResultCode& code) {
    code = TZP_OK;
    if (data == nullptr || count == 0) return true;
    const PrintJobState& job = context.job;
    const uint32_t line_size = uint32_t{job.image_width} * job.channels;
    if (line_size == 0 || line_size > context.line_assembly.size) {
        code = TZP_USB_ERROR;
        return false;
    }
    if (!pipes_reach_printer(context, code)) return false;
    uint8_t* line = context.line_assembly.data.get();
    uint32_t& held = context.line_fill;
    const uint64_t total = uint64_t{held} + count;
    uint64_t full = total / line_size;
    while (full-- > 0) {
        const uint32_t take = line_size - held;
        std::memcpy(line + held, data, take);
        data += take;
        held = 0;
        if (!queue_line(context, line, line_size, code)) return false;
    }
    const uint32_t rest = static_cast<uint32_t>(total % line_size);
    if (rest > held) std::memcpy(line + held, data, rest - held);
    held = rest;
    return true;
}

}  // namespace tz::lib
