// The exported C functions of parameters, diagnosis, the error log, raw
// commands, the model check and the laminate update: thin forwarders.
#include <optional>

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

namespace {

// As forward, for an operation that may leave the caller's code untouched.
template <typename Operation>
int forward_optional(uint16_t* result, Operation&& operation) noexcept {
    try {
        PrinterContext* context = calling_context();
        if (context == nullptr) {
            store(result, TZP_NO_CONTEXT);
            return 0;
        }
        std::optional<ResultCode> code;
        bool ok = operation(*context, code);
        if (code) store(result, *code);
        return ok ? 1 : 0;
    } catch (...) {
        store(result, TZP_UNDEFINED_ERROR);
        return 0;
    }
}

}  // namespace

TZ_EXPORT int tzpusb_setParameter(int number, int32_t value, uint16_t* result) {
    return forward(result, [=](PrinterContext& context, ResultCode& code) {
        return set_parameter(context, number, value, code);
    });
}

TZ_EXPORT int tzpusb_getParameter(int number, void* buffer, uint16_t* result) {
    return forward(result, [=](PrinterContext& context, ResultCode& code) {
        return get_parameter(context, number, buffer, code);
    });
}

TZ_EXPORT int tzpusb_getDiagnostic(void* buffer, uint32_t* size, uint16_t* result) {
    return forward(result, [=](PrinterContext& context, ResultCode& code) {
        return get_diagnostic(context, buffer, size, code);
    });
}

TZ_EXPORT int tzpusb_setDiagnostic(int mode, int arg1, int arg2, uint16_t* result) {
    return forward(result, [=](PrinterContext& context, ResultCode& code) {
        return set_diagnostic(context, mode, arg1, arg2, code);
    });
}

TZ_EXPORT int tzpusb_command_diagnostic(int mode, int arg1, int arg2, void* buffer, uint16_t* result) {
    return forward(result, [=](PrinterContext& context, ResultCode& code) {
        return command_diagnostic(context, mode, arg1, arg2, buffer, code);
    });
}

TZ_EXPORT int tzpusb_resetErrHistory(uint16_t* result) { return forward(result, reset_error_history); }

TZ_EXPORT int tzpusb_SendRawData(const void* data, const uint32_t* length, uint16_t* result) {
    return forward_optional(result, [=](PrinterContext& context, std::optional<ResultCode>& code) {
        return send_raw_data(context, data, length, code);
    });
}

TZ_EXPORT int tzpusb_SendCommand(const void* command, uint32_t length, void* answer, uint32_t* answer_length,
                                 uint16_t* result) {
    return forward(result, [=](PrinterContext& context, ResultCode& code) {
        return send_command(context, command, length, answer, answer_length, code);
    });
}

TZ_EXPORT int tzpusb_universal_command(const void* payload, int length, void* answer, uint8_t* answer_length,
                                       uint16_t* result) {
    return forward(result, [=](PrinterContext& context, ResultCode& code) {
        return universal_command(context, payload, length, answer, answer_length, code);
    });
}

TZ_EXPORT int tzpusb_undefine_command(uint16_t* result) { return forward(result, undefine_command); }

TZ_EXPORT int tzpusb_GetModelName(uint16_t* result) {
    store(result, TZP_OK);
    return forward(result, is_supported_model);
}

TZ_EXPORT int tzpusb_update_laminate(int target, const char* path, uint16_t* result) {
    return forward(result, [=](PrinterContext& context, ResultCode& code) {
        return update_laminate(context, target, path, code);
    });
}
