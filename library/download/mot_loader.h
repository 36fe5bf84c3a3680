// Turning a MOT file into a flat memory image in two passes: the first
// checks every record and measures the address range, the second builds the
// image over exactly that range.
#pragma once

#include <cstdint>

#include "core/result_codes.h"

namespace tz::lib {

class MotReader;
class DownloadSession;

// The largest image a caller is given; a file whose data spans more is
// TZP_NO_MEMORY before anything is allocated.
inline constexpr uint32_t kMotImageLimit = 256u << 20;

struct MotImage {
    uint8_t* bytes = nullptr;  // released with dispose_mot_image
    uint32_t size = 0;
    uint32_t sum = 0;
    uint32_t start = 0;  // address of bytes[0]
    uint32_t end = 0;    // address of the last byte
};

// Loads `path` with `reader`, reading blocks of `block_size` bytes:
// TZP_MOT_ADDRESS for a file with no data byte; the codes of a load pass
// otherwise.
ResultCode load_mot(MotReader& reader, const char* path, uint32_t block_size, MotImage& image);

// The context's reader loads `path`. TZP_BAD_PARAMETER on a context opened
// without the download objects; TZP_MOT_ADDRESS for a file with no data byte;
// the codes of a load pass otherwise.
ResultCode load_mot_file(DownloadSession& session, const char* path, MotImage& image);

void dispose_mot_image(void* bytes);

}  // namespace tz::lib
