#include "printer_info_write.h"

#include <cstring>

#include "core/acquisition.h"
#include "core/command_packets.h"
#include "core/exchange.h"
#include "core/printer_context.h"
#include "info/info_records.h"
#include "laminate_strings.h"
#include "print_area.h"
#include "print_job_state.h"

namespace tz::lib {
namespace {

constexpr uint8_t kOperationButtonLimit = 1;

uint16_t first_u16(const uint8_t* data) {
    uint16_t value;
    std::memcpy(&value, data, sizeof value);
    return value;
}

ResultCode write_tag(PrinterContext& context, PrintJobState& job, uint16_t tag, const uint8_t* data,
                     const uint32_t* size) {
    if (tag == info::kTagMedia) return set_print_area(context, job, data, size);
    // Every other tag reads the caller's data.
    if (data == nullptr) return TZP_BAD_PARAMETER;
    if (tag == info::kTagSetting20 || tag == info::kTagSetting30) {
        (tag == info::kTagSetting20 ? job.setting20 : job.setting30) = first_u16(data);
        return TZP_OK;
    }
    if (tag == info::kTagSerial) {
        if (size == nullptr || *size != kSerialSize) return TZP_BAD_PARAMETER;
        return send_and_acknowledge(context, packets::set_serial(data));
    }
    if (tag >= info::kTagLaminateFirst && tag <= info::kTagLaminateLast) {
        uint8_t slot = static_cast<uint8_t>(tag - info::kTagLaminateFirst + 1);
        job.laminate_strings[slot - 1] = parse_laminate_slot(slot, data);
        return TZP_OK;
    }
    if (info::is_parameter_tag(tag)) {
        const uint8_t number = info::parameter_number(tag);
        return send_and_acknowledge(context, packets::set_parameter(number, info::parameter_value(tag, data)));
    }
    if (tag == info::kTagOperationButton) {
        const uint16_t value = first_u16(data);
        if (value > kOperationButtonLimit) return TZP_BAD_PARAMETER;
        return send_and_acknowledge(context, packets::operation_button(static_cast<uint8_t>(value)));
    }
    return TZP_BAD_PARAMETER;
}

}  // namespace

ResultCode write_printer_info(PrinterContext& context, PrintJobState& job, int tag, const void* data,
                              const uint32_t* size) {
    PrinterHold hold;
    if (ResultCode code = acquire_printer(context, hold); code != TZP_OK) return code;
    // A 16-bit argument passed as int.
    return write_tag(context, job, static_cast<uint16_t>(tag), static_cast<const uint8_t*>(data), size);
}

}  // namespace tz::lib
