// Result codes of the library and the two foldings operations apply to them.
//
// Every operation of the library returns a ResultCode: TZP_OK, or what went
// wrong; what it finds out comes back through its other arguments. Only the
// exports (library/api) turn a code into the 1 or 0 they return and the code
// they store for the caller.
#pragma once

#include <cstdint>
#include <optional>

#include "tzpusb.h"

namespace tz::lib {

using ResultCode = uint16_t;

constexpr bool is_usb_error(ResultCode code) { return code >= TZP_USB_ERROR && code <= TZP_USB_ERROR_LAST; }
// A state letter a..m of the printer: not an error.
constexpr bool is_state_letter(ResultCode code) {
    return code >= TZP_STATE_LETTER_A && code <= TZP_STATE_LETTER_M;
}

// Every communication failure TZP_USB_ERROR .. TZP_USB_ERROR_LAST counts as
// TZP_USB_ERROR.
constexpr ResultCode fold_usb_error(ResultCode code) { return is_usb_error(code) ? ResultCode{TZP_USB_ERROR} : code; }

// As fold_usb_error, and parameters the printer rejected (TZP_REJECTED) count
// as a bad parameter (TZP_BAD_PARAMETER).
constexpr ResultCode fold_rejected(ResultCode code) {
    return code == TZP_REJECTED ? ResultCode{TZP_BAD_PARAMETER} : fold_usb_error(code);
}

// What an export answers where its 1 or 0 does not follow from its code
// alone, as the printer's API has it in a few places: a tone-curve read
// whose packets disagree with the count announced succeeds with
// TZP_USB_ERROR; the printer's state asked for print ID 0 succeeds with
// that state; raw data of no bytes fails and leaves the caller's code as it
// is; the model check answers yes or no with TZP_OK.
struct ExportAnswer {
    bool succeeded = false;
    std::optional<ResultCode> code;  // nothing: the caller's code stays as it is
};

// Stores a code through a caller's result pointer, which may be null.
inline void store(uint16_t* result, ResultCode code) {
    if (result != nullptr) *result = code;
}

}  // namespace tz::lib
