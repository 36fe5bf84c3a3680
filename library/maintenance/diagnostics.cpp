#include "diagnostics.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "core/acquisition.h"
#include "core/command_packets.h"
#include "core/exchange.h"
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

ResultCode get_diagnostic(PrinterContext& context, void* buffer, uint32_t* size) {
    PrinterHold hold;
    if (ResultCode code = acquire_printer(context, hold); code != TZP_OK) return code;
    if (buffer == nullptr) return TZP_OK;
    if (size == nullptr) return TZP_BAD_PARAMETER;  // no capacity given: nothing can be delivered
    *size = std::min(*size, kDiagnosisResultLimit);
    if (ResultCode code = context.sender->send(packets::batch_diagnosis_result()); code != TZP_OK)
        return fold_usb_error(code);
    std::array<uint8_t, kTimedReadSize> payload{};
    std::array<uint8_t, kBatchArea> area{};
    uint32_t count = 0;
    ResultCode code = context.receiver->read_payload(payload.data(), payload.size(), count);
    if (code == TZP_OK) {
        // Bytes the printer did not send stay zero.
        std::copy_n(payload.begin(), std::min<size_t>(count, area.size()), area.begin());
    } else {
        // An answer other than the result: the diagnosis is still running.
        code = is_usb_error(code) ? ResultCode{TZP_USB_ERROR} : ResultCode{TZP_DIAGNOSIS_RUNNING};
    }
    // Byte 0 of the result is the printer's own; the caller gets what follows.
    std::memcpy(buffer, area.data() + 1, *size);
    return code;
}

ResultCode set_diagnostic(PrinterContext& context, int mode, int first, int second) {
    PrinterHold hold;
    if (ResultCode code = acquire_printer(context, hold); code != TZP_OK) return code;
    uint8_t mode_byte = static_cast<uint8_t>(mode);
    if (mode_byte == kEveryDiagnosis) first = second = 0;
    return fold_rejected(send_and_acknowledge(
        context, packets::self_diagnosis(mode_byte, static_cast<uint8_t>(first), static_cast<uint8_t>(second))));
}

ResultCode command_diagnostic(PrinterContext& context, int mode, int first, int second, void* buffer) {
    if (ResultCode code = pipes_reach_printer(context); code != TZP_OK) return code;
    ResultCode code = context.sender->send(
        packets::self_diagnosis(static_cast<uint8_t>(mode), static_cast<uint8_t>(first), static_cast<uint8_t>(second)));
    if (code != TZP_OK) return code;
    std::array<uint8_t, kTimedReadSize> payload{};
    uint32_t count = 0;
    code = context.receiver->read_payload(payload.data(), payload.size(), count);
    if (code == TZP_OK && buffer != nullptr)
        std::memcpy(buffer, payload.data(), std::min<size_t>({count, payload.size(), kCommandAnswerLimit}));
    return code;
}

}  // namespace tz::lib
