// The sharpening kernel's text file: nine numbers, read for the caller.
#pragma once

#include <cstdint>

#include "core/result_codes.h"

namespace tz::lib {

// Reads nine signed decimal numbers from the text file at `path` into
// `coefficients`, without installing them; a null path gives the identity.
// TZP_FILE_ERROR for a file that cannot be read, too few numbers, or a
// number that does not fit 32 bits or 255 characters; TZP_BAD_PARAMETER for
// a null array.
ResultCode read_kernel_file(const char* path, int32_t* coefficients);

}  // namespace tz::lib
