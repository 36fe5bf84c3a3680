// Installing the six channel tables of the write path and, from a source and
// a destination profile, the colour world pages are matched through.
#pragma once

#include <cstddef>
#include <cstdint>

#include "channel_tables.h"
#include "color_binding.h"
#include "core/result_codes.h"

namespace tz::lib {


// Longest profile path kept: 259 characters; longer paths are refused
// (TZP_BAD_PARAMETER).
inline constexpr size_t kLongestProfilePath = 259;

// Sets the input tables (1..3) and output tables (4..6) to identity, copies in
// each non-null table of 256 bytes and releases the colour world. Two null
// paths: nothing more (0). Otherwise makes a world of the image's channel count
// from the two paths, with the output tables in its table block (`channels` in,
// `channels` out): TZP_BAD_PARAMETER for one path only, a path longer than 259
// characters or a colour space that does not fit; TZP_FILE_ERROR when a profile
// does not open; TZP_NO_COLOR_LIBRARY without the colour library; TZP_NO_MEMORY
// when no world comes back.
ResultCode set_icc_table(ConversionTables& conversion, ColorBinding& color, int channels, const char* source_path,
                         const char* destination_path, int intent, const uint8_t* const (&tables)[6]);

}  // namespace tz::lib
