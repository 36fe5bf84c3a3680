// One pass of the MOT loader over an S-record file: what drives it and what
// it finds.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "core/result_codes.h"
#include "mot_reader.h"

namespace tz::lib {

// The longest header text (S0 data) that is kept; a longer one is read and
// checked whole.
inline constexpr size_t kMotHeaderLimit = 128;

struct MotLoadRequest {
    const char* file_name = nullptr;
    uint32_t window_base = 0;  // image offset 0
    uint32_t window_end = 0;   // inclusive
    bool scan_only = true;     // measure only, keep no data
    uint8_t fill_byte = 0xFF;
    uint32_t read_block_size = kMotReadBlockSize;

    // Found by the pass.
    uint32_t lowest = 0xFFFFFFFF;  // first address of any data byte
    uint32_t highest = 0;          // last address of any data byte
    bool has_data = false;         // at least one data byte was seen
    std::unique_ptr<uint8_t[]> image;  // building pass only
    uint32_t image_size = 0;
    uint32_t image_sum = 0;            // of every image byte, fill bytes included
    std::array<uint8_t, kMotHeaderLimit> header{};
    size_t header_length = 0;
};

// Runs one pass: builds the image when not scan only (TZP_NO_MEMORY when it
// cannot be allocated), opens the file (TZP_FILE_ERROR), parses every record
// and adds up the image. The first failing record ends the pass with its code
// (TZP_MOT_SYNTAX syntax, TZP_MOT_CHECKSUM checksum, TZP_MOT_ADDRESS address
// outside the window, TZP_FILE_ERROR the file ends inside a record or cannot be
// read); no image survives a failure. The file is closed in every case.
ResultCode load_pass(MotReader& reader, MotLoadRequest& request);

}  // namespace tz::lib
