// The buffered file reader of the MOT loader: one per download context. It
// reads its file strictly forward in blocks and hands out one character at a
// time, or a run of characters already in the block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "core/result_codes.h"

namespace tz::lib {

// Size of the read block of a load pass.
inline constexpr uint32_t kMotReadBlockSize = 0x40000;

class MotReader {
public:
    MotReader() = default;
    ~MotReader() { close(); }
    MotReader(const MotReader&) = delete;
    MotReader& operator=(const MotReader&) = delete;

    // Opens an existing file for reading (TZP_FILE_ERROR) and allocates the
    // read block (TZP_NO_MEMORY).
    ResultCode open(const char* path, uint32_t block_size);
    // Gives back the block and closes the file.
    void close();

    // The file's size and a position at its start; false when either fails.
    bool size_and_rewind(uint64_t& size);

    // Characters handed out since the start of the file.
    uint64_t consumed() const { return block_offset_ + position_; }

    // The next character; false when a refill yields nothing.
    bool next(uint8_t& c) {
        if (position_ == filled_ && !refill()) return false;
        c = block_[position_++];
        return true;
    }
    // The unread characters already in the block (refilled when empty;
    // nothing when a refill yields nothing).
    size_t buffered() const { return filled_ - position_; }
    const uint8_t* buffered_data() const { return block_.get() + position_; }
    bool ensure_buffered() { return position_ != filled_ || refill(); }
    void skip_buffered(size_t count) { position_ += count; }

private:
    bool refill();

    std::FILE* file_ = nullptr;
    std::unique_ptr<uint8_t[]> block_;
    uint32_t block_size_ = 0;
    size_t filled_ = 0;
    size_t position_ = 0;
    uint64_t block_offset_ = 0;  // file offset of the block's first character
};

}  // namespace tz::lib
