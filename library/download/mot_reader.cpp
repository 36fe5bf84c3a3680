#include "mot_reader.h"

#include <new>

namespace tz::lib {

ResultCode MotReader::open(const char* path, uint32_t block_size) {
    close();
    if (path == nullptr) return TZP_FILE_ERROR;
    file_ = std::fopen(path, "rb");
    if (file_ == nullptr) return TZP_FILE_ERROR;
    // The block is the only buffer: reads go straight into it.
    std::setvbuf(file_, nullptr, _IONBF, 0);
    block_.reset(new (std::nothrow) uint8_t[block_size]);
    if (!block_) {
        close();
        return TZP_NO_MEMORY;
    }
    block_size_ = block_size;
    return TZP_OK;
}

void MotReader::close() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
    block_.reset();
    block_size_ = 0;
    filled_ = position_ = 0;
    block_offset_ = 0;
}

bool MotReader::size_and_rewind(uint64_t& size) {
    if (file_ == nullptr || std::fseek(file_, 0, SEEK_END) != 0) return false;
    const long end = std::ftell(file_);
    if (end < 0 || std::fseek(file_, 0, SEEK_SET) != 0) return false;
    size = static_cast<uint64_t>(end);
    filled_ = position_ = 0;
    block_offset_ = 0;
    return true;
}

bool MotReader::refill() {
    if (file_ == nullptr) return false;
    block_offset_ += filled_;
    filled_ = position_ = 0;
    const size_t got = std::fread(block_.get(), 1, block_size_, file_);
    filled_ = got;
    return got != 0;
}

}  // namespace tz::lib
