// Result codes of the library and the two foldings operations apply to them.
#pragma once

#include <cstdint>

#include "tzpusb.h"

namespace tz::lib {

using ResultCode = uint16_t;

// Every communication failure 2600..2605 counts as 2600.
constexpr ResultCode fold_usb_error(ResultCode code) {
    return code >= 2600 && code <= 2605 ? ResultCode{TZP_USB_ERROR} : code;
}

// As fold_usb_error, and parameters the printer rejected (2601) count as a
// bad parameter (1006).
constexpr ResultCode fold_rejected(ResultCode code) {
    return code == TZP_REJECTED ? ResultCode{TZP_BAD_PARAMETER} : fold_usb_error(code);
}

constexpr bool is_usb_error(ResultCode code) { return code >= 2600 && code <= 2605; }

// Stores a code through a caller's result pointer, which may be null.
inline void store(uint16_t* result, ResultCode code) {
    if (result != nullptr) *result = code;
}

}  // namespace tz::lib
