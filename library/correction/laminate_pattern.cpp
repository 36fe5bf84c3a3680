#include "laminate_pattern.h"

#include "core/acquisition.h"
#include "core/printer_context.h"
#include "update_transfer.h"

namespace tz::lib {
namespace {

// Update Command and Reset Command target of the laminate pattern.
inline constexpr uint8_t kLaminateTarget = 16;
inline constexpr int kDownload = 0;
inline constexpr int kReset = 2;

}  // namespace

ResultCode set_laminate_pattern(PrinterContext& context, int kind_argument, const void* data) {
    PrinterHold hold;
    if (ResultCode code = acquire_printer(context, hold); code != TZP_OK) return code;
    const int kind = static_cast<uint16_t>(kind_argument);  // a 16-bit argument
    if ((kind != kDownload && kind != kReset) || (kind == kDownload && data == nullptr)) return TZP_BAD_PARAMETER;
    return fold_usb_error(kind == kReset ? reset_with_acknowledge(context, kLaminateTarget, 0)
                                         : update_with_data(context, kLaminateTarget, 0,
                                                            static_cast<const uint8_t*>(data), kLaminatePatternBytes));
}

}  // namespace tz::lib
