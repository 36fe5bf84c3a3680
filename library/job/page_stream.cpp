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
bool PageStream::send_block(ResultCode& code) {
    uint8_t* block = block_.get();
    uint32_t used = kTransferBlockSize - block_free_;
    while (used > 0) {
        uint32_t written = 0;
        const bool ok = context_.transport->direct_write(block, used, written, code);
        written = std::min(written, used);
        std::memmove(block, block + written, used - written);
        used -= written;
        block_free_ = kTransferBlockSize - used;
        if (!ok || written == 0) {
            code = TZP_USB_ERROR;
            return false;
        }
    }
    return true;
}

// Moves one assembled line into transfer blocks, sending each block when it
// is full or holds the page's last byte.
bool PageStream::queue_line(const uint8_t* line, uint32_t length, ResultCode& code) {
    uint8_t* block = block_.get();
    while (length > 0) {
        const uint32_t free = block_free_;
        const uint32_t piece = std::min(length, free);
        std::memcpy(block + (kTransferBlockSize - free), line, piece);
        block_free_ = free - piece;
        job_.bytes_queued += piece;
        line += piece;
        length -= piece;
        if ((block_free_ == 0 || job_.bytes_queued >= job_.image.bytes_expected) && !send_block(code)) return false;
    }
    return true;
}

bool PageStream::write(const uint8_t* data, uint32_t count, ResultCode& code) {
    code = TZP_OK;
    if (data == nullptr || count == 0) return true;
    const uint32_t line_size = uint32_t{job_.image.width} * job_.image.channels;
    if (line_size == 0 || line_size > kLineAssemblySize || !line_ || !block_) {
        code = TZP_USB_ERROR;
        return false;
    }
    if (!pipes_reach_printer(context_, code)) return false;
    uint8_t* line = line_.get();
    uint32_t& held = line_fill_;
    const uint64_t total = uint64_t{held} + count;
    uint64_t full = total / line_size;
    while (full-- > 0) {
        const uint32_t take = line_size - held;
        std::memcpy(line + held, data, take);
        data += take;
        held = 0;
        if (!queue_line(line, line_size, code)) return false;
    }
    const uint32_t rest = static_cast<uint32_t>(total % line_size);
    if (rest > held) std::memcpy(line + held, data, rest - held);
    held = rest;
    return true;
}

}  // namespace tz::lib
