#include "printer_info_write.h"

#include <cstring>

#include "core/acquisition.h"
#include "core/command_packets.h"
#include "core/printer_context.h"
#include "info/info_records.h"
#include "laminate_strings.h"
#include "print_area.h"
#include "print_job_state.h"

namespace tz::lib {
namespace {

constexpr uint8_t kOperationButtonLimit = 1;

// A command the printer only acknowledges; its codes are the call's.
bool send_acknowledged(PrinterContext& context, const packets::Packet& packet, ResultCode& code) {
    return context.sender->send(packet, code) && context.receiver->read_acknowledge(code);
}

uint16_t first_u16(const uint8_t* data) {
    uint16_t value;
    std::memcpy(&value, data, sizeof value);
    return value;
}

bool write_tag(PrinterContext& context, PrintJobState& job, uint16_t tag, const uint8_t* data, const uint32_t* size, ResultCode& code) {
    if (tag == info::kTagMedia) return set_print_area(context, job, data, size, code);
    // Every other tag reads the caller's data.
    if (data == nullptr) {
        code = TZP_BAD_PARAMETER;
        return false;
    }
    if (tag == info::kTagSetting20 || tag == info::kTagSetting30) {
        (tag == info::kTagSetting20 ? job.setting20 : job.setting30) = first_u16(data);
        code = TZP_OK;
        return true;
    }
    if (tag == info::kTagSerial) {
        if (size == nullptr || *size != kSerialSize) {
            code = TZP_BAD_PARAMETER;
            return false;
        }
        return send_acknowledged(context, packets::set_serial(data), code);
    }
    if (tag >= info::kTagLaminateFirst && tag <= info::kTagLaminateLast) {
        uint8_t slot = static_cast<uint8_t>(tag - info::kTagLaminateFirst + 1);
        job.laminate_strings[slot - 1] = parse_laminate_slot(slot, data);
        code = TZP_OK;
        return true;
    }
    if (info::is_parameter_tag(tag)) {
        packets::Packet packet = packets::set_parameter(info::parameter_number(tag), info::parameter_value(tag, data));
        return send_acknowledged(context, packet, code);
    }
    if (tag == info::kTagOperationButton) {
        uint16_t value = first_u16(data);
        if (value > kOperationButtonLimit) {
            code = TZP_BAD_PARAMETER;
            return false;
        }
        return send_acknowledged(context, packets::operation_button(static_cast<uint8_t>(value)), code);
    }
    code = TZP_BAD_PARAMETER;
    return false;
}

}  // namespace

bool write_printer_info(PrinterContext& context, PrintJobState& job, int tag, const void* data, const uint32_t* size, ResultCode& code) {
    PrinterHold hold = acquire_printer(context, code);
    if (!hold.held()) return false;
    // A 16-bit argument passed as int.
    return write_tag(context, job, static_cast<uint16_t>(tag), static_cast<const uint8_t*>(data), size, code);
}

}  // namespace tz::lib
