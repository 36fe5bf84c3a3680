#include "model_check.h"

#include "core/device_table.h"
#include "core/printer_context.h"
#include "core/selection.h"

namespace tz::lib {

bool is_supported_model(const PrinterContext& context) {
    const uint8_t index = context.selection.index();
    // A stale selection's entry may hold another device by now.
    if (index >= kDeviceTableSize || !selection_current(context)) return false;
    return device_table()[index].model_key() == kSupportedModelKey;
}

}  // namespace tz::lib
