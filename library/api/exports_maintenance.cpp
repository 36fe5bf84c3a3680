// The exported C functions of parameters, diagnosis, the error log, raw
// commands, the model check and the laminate update: thin forwarders.
#include "tzpusb.h"

#include "maintenance/diagnostics.h"
#include "maintenance/error_history.h"
#include "maintenance/laminate_update.h"
#include "maintenance/model_check.h"
#include "maintenance/parameters.h"
#include "forwarding.h"
#include "platform/export.h"
#include "maintenance/raw_commands.h"

using namespace tz::lib;


TZ_EXPORT int TZPUSB_API tzpusb_setParameter(int number, int32_t value, uint16_t* result) {
    return forward(result, [=](PrinterContext& context) {
        return set_parameter(context, number, value);
    });
}

TZ_EXPORT int TZPUSB_API tzpusb_getParameter(int number, void* buffer, uint16_t* result) {
    return forward(result, [=](PrinterContext& context) {
        return get_parameter(context, number, buffer);
    });
}

TZ_EXPORT int TZPUSB_API tzpusb_getDiagnostic(void* buffer, uint32_t* size, uint16_t* result) {
    return forward(result, [=](PrinterContext& context) {
        return get_diagnostic(context, buffer, size);
    });
}

TZ_EXPORT int TZPUSB_API tzpusb_setDiagnostic(int mode, int arg1, int arg2, uint16_t* result) {
    return forward(result, [=](PrinterContext& context) {
        return set_diagnostic(context, mode, arg1, arg2);
    });
}

TZ_EXPORT int TZPUSB_API tzpusb_command_diagnostic(int mode, int arg1, int arg2, void* buffer, uint16_t* result) {
    return forward(result, [=](PrinterContext& context) {
        return command_diagnostic(context, mode, arg1, arg2, buffer);
    });
}

TZ_EXPORT int TZPUSB_API tzpusb_resetErrHistory(uint16_t* result) { return forward(result, reset_error_history); }

TZ_EXPORT int TZPUSB_API tzpusb_SendRawData(const void* data, const uint32_t* length, uint16_t* result) {
    return forward(result, [=](PrinterContext& context) { return send_raw_data(context, data, length); });
}

TZ_EXPORT int TZPUSB_API tzpusb_SendCommand(const void* command, uint32_t length, void* answer, uint32_t* answer_length,
                                 uint16_t* result) {
    return forward(result, [=](PrinterContext& context) {
        return send_command(context, command, length, answer, answer_length);
    });
}

TZ_EXPORT int TZPUSB_API tzpusb_universal_command(const void* payload, int length, void* answer, uint8_t* answer_length,
                                       uint16_t* result) {
    return forward(result, [=](PrinterContext& context) {
        return universal_command(context, payload, length, answer, answer_length);
    });
}

TZ_EXPORT int TZPUSB_API tzpusb_undefine_command(uint16_t* result) { return forward(result, undefine_command); }

// Yes (1) or no (0), with TZP_OK.
TZ_EXPORT int TZPUSB_API tzpusb_GetModelName(uint16_t* result) {
    return forward(result, [](PrinterContext& context) { return ExportAnswer{is_supported_model(context), TZP_OK}; });
}

TZ_EXPORT int TZPUSB_API tzpusb_update_laminate(int target, const char* path, uint16_t* result) {
    return forward(result, [=](PrinterContext& context) {
        return update_laminate(context, target, path);
    });
}
