// Host-side gamma tables: computed from a gamma value or read from a file of
// three tables. They are only produced here; the caller installs them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/result_codes.h"

namespace tz::lib {

inline constexpr size_t kGammaTableSize = 256;

// Entry i = 255 * (i^g / 255^g) with g = gamma_x100 / 100 (its low 16 bits),
// truncated toward zero and limited to 0..255. Gammas so steep that 255^g
// overflows give the same curve computed as 255 * (i / 255)^g. Null tables
// are skipped.
void make_gamma(int gamma_x100, uint8_t* t1, uint8_t* t2, uint8_t* t3);

// Reads 256 bytes into each of the three tables from the file at `path`; bytes
// after the 768th are ignored. TZP_FILE_ERROR for a file that cannot be opened
// or is short (the tables read before stay filled), TZP_BAD_PARAMETER for a
// null table.
ResultCode read_gamma_file(const char* path, uint8_t* t1, uint8_t* t2, uint8_t* t3);

}  // namespace tz::lib
