// Streaming data to the selected printer's data pipe by direct writes, in
// pieces of at most 4096 bytes, without command headers or answers.
#pragma once

#include <cstdint>

#include "result_codes.h"

namespace tz::lib {

class PrinterContext;

inline constexpr uint32_t kDataPieceSize = 4096;

// Writes `length` bytes from `data`. `sent` tells how many went out, also
// when a write fails, takes nothing or only part of its piece (TZP_USB_ERROR
// each). Nothing is written when the selection no longer reaches its printer
// (TZP_USB_ERROR).
ResultCode write_pieces(PrinterContext& context, const uint8_t* data, uint32_t length, uint32_t& sent);

}  // namespace tz::lib
