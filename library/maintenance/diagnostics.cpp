#include "diagnostics.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "core/acquisition.h"
#include "core/command_packets.h"
#include "core/printer_context.h"
#include "core/selection.h"

namespace tz::lib {
namespace {

// The batch result is taken into an area of this size, zeroed first.
inline constexpr size_t kBatchArea = 100;
// Largest payload handed back by the diagnosis command.
inline constexpr size_t kCommandAnswerLimit = 512;
// The mode that runs every diagnosis.
inline constexpr uint8_t kEveryDiagnosis = 1;

}  // namespace

bool get_diagnostic(PrinterContext& context, void* buffer, uint32_t* size, ResultCode& code) {
    PrinterHold hold = acquire_printer(context, code);
    if (!hold.held()) return false;
    if (buffer == nullptr) {
        code = TZP_OK;
        return true;
    }
    if (size == nullptr) {  // no capacity given: nothing can be delivered
        code = TZP_BAD_PARAMETER;
        return false;
    }
    *size = std::min(*size, kDiagnosisResultLimit);
    if (!context.sender->send(packets::batch_diagnosis_result(), code)) {
        code = fold_usb_error(code);
        return false;
    }
    std::array<uint8_t, kTimedReadSize> payload{};
    std::array<uint8_t, kBatchArea> area{};
    uint32_t count = 0;
    bool ok = context.receiver->read_payload(payload.data(), payload.size(), count, code);
    if (ok) {
        // Bytes the printer did not send stay zero.
        std::copy_n(payload.begin(), std::min<size_t>(count, area.size()), area.begin());
    } else {
        area.fill(0);
        code = is_usb_error(code) ? ResultCode{TZP_USB_ERROR} : ResultCode{TZP_DIAGNOSIS_RUNNING};
    }
    // Byte 0 of the result is the printer's own; the caller gets what follows.
    std::memcpy(buffer, area.data() + 1, *size);
    code = fold_usb_error(code);
    return ok;
}

bool set_diagnostic(PrinterContext& context, int mode, int first, int second, ResultCode& code) {
    PrinterHold hold = acquire_printer(context, code);
    if (!hold.held()) return false;
    uint8_t mode_byte = static_cast<uint8_t>(mode);
    if (mode_byte == kEveryDiagnosis) first = second = 0;
    bool ok = context.sender->send(
                  packets::self_diagnosis(mode_byte, static_cast<uint8_t>(first), static_cast<uint8_t>(second)), code) &&
              context.receiver->read_acknowledge(code);
    code = fold_rejected(code);
    return ok;
}

bool command_diagnostic(PrinterContext& context, int mode, int first, int second, void* buffer, ResultCode& code) {
    if (!pipes_reach_printer(context, code)) return false;
    if (!context.sender->send(packets::self_diagnosis(static_cast<uint8_t>(mode), static_cast<uint8_t>(first),
                                                      static_cast<uint8_t>(second)),
                              code))
        return false;
    std::array<uint8_t, kTimedReadSize> payload{};
    uint32_t count = 0;
    bool ok = context.receiver->read_payload(payload.data(), payload.size(), count, code);
    if (ok && buffer != nullptr)
        std::memcpy(buffer, payload.data(), std::min<size_t>({count, payload.size(), kCommandAnswerLimit}));
    return ok;
}

}  // namespace tz::lib
