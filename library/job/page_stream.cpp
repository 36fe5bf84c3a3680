#include "page_stream.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "core/printer_context.h"
#include "core/selection.h"

namespace tz::lib {

bool PageStream::allocate() {
    if (!line_) {
        line_fill_ = 0;
        line_.reset(new (std::nothrow) uint8_t[kLineAssemblySize]);
        if (!line_) return false;
        std::memset(line_.get(), 0xFF, kLineAssemblySize);
    }
    if (!block_) {
        block_.reset(new (std::nothrow) uint8_t[kTransferBlockSize]());
        if (!block_) return false;
    }
    return true;
}

void PageStream::free() {
    line_.reset();
    line_fill_ = 0;
    block_.reset();
}

void PageStream::reset() {
    line_fill_ = 0;
    if (line_) std::memset(line_.get(), 0xFF, kLineAssemblySize);
    block_free_ = kTransferBlockSize;
}

// Sends what the block holds; true when it is empty afterwards.
ResultCode PageStream::send_block() {
    uint8_t* block = block_.get();
    uint32_t used = kTransferBlockSize - block_free_;
    while (used > 0) {
        uint32_t written = 0;
        const ResultCode code = context_.transport->direct_write(block, used, written);
        written = std::min(written, used);
        std::memmove(block, block + written, used - written);
        used -= written;
        block_free_ = kTransferBlockSize - used;
        if (code != TZP_OK || written == 0) return TZP_USB_ERROR;
    }
    return TZP_OK;
}

// Moves one assembled line into transfer blocks, sending each block when it
// is full or holds the page's last byte.
ResultCode PageStream::queue_line(const uint8_t* line, uint32_t length) {
    uint8_t* block = block_.get();
    while (length > 0) {
        const uint32_t free = block_free_;
        const uint32_t piece = std::min(length, free);
        std::memcpy(block + (kTransferBlockSize - free), line, piece);
        block_free_ = free - piece;
        job_.bytes_queued += piece;
        line += piece;
        length -= piece;
        if (block_free_ == 0 || job_.bytes_queued >= job_.image.bytes_expected) {
            if (ResultCode code = send_block(); code != TZP_OK) return code;
        }
    }
    return TZP_OK;
}

ResultCode PageStream::write(const uint8_t* data, uint32_t count) {
    if (data == nullptr || count == 0) return TZP_OK;
    const uint32_t line_size = uint32_t{job_.image.width} * job_.image.channels;
    if (line_size == 0 || line_size > kLineAssemblySize || !line_ || !block_) return TZP_USB_ERROR;
    if (ResultCode code = pipes_reach_printer(context_); code != TZP_OK) return code;
    uint8_t* line = line_.get();
    uint32_t& held = line_fill_;
    const uint64_t total = uint64_t{held} + count;
    uint64_t full = total / line_size;
    while (full-- > 0) {
        const uint32_t take = line_size - held;
        std::memcpy(line + held, data, take);
        data += take;
        held = 0;
        if (ResultCode code = queue_line(line, line_size); code != TZP_OK) return code;
    }
    const uint32_t rest = static_cast<uint32_t>(total % line_size);
    if (rest > held) std::memcpy(line + held, data, rest - held);
    held = rest;
    return TZP_OK;
}

}  // namespace tz::lib
