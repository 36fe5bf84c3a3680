#include "printer_info_read.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "core/acquisition.h"
#include "core/command_packets.h"
#include "core/device_table.h"
#include "core/printer_context.h"
#include "info_records.h"
#include "status_actions.h"

namespace tz::lib {
namespace {

using Answer = std::array<uint8_t, kTimedReadSize>;

// One inquiry answered with a payload.
bool inquire(PrinterContext& context, const packets::Packet& packet, Answer& answer, uint32_t& count) {
    ResultCode code = TZP_OK;
    return context.sender->send(packet, code) && context.receiver->read_payload(answer.data(), answer.size(), count, code);
}

bool status_frame(PrinterContext& context, Answer& frame, uint32_t& count) {
    ResultCode code = TZP_OK;
    return context.sender->send(packets::get_status(), code) &&
           context.receiver->read_frame(frame.data(), frame.size(), count, code);
}

bool firmware_information(PrinterContext& context, info::Record& record) {
    ResultCode status = TZP_OK;
    printer_status(context, status);
    if (status == TZP_PANEL_IN_USE) return false;
    record = info::firmware_record();
    Answer answer{};
    for (size_t index = 1; index <= info::kFirmwareEntryCount; ++index) {
        uint32_t count = 0;
        if (!inquire(context, packets::get_firmware_information(static_cast<uint8_t>(index)), answer, count))
            return false;
        info::put_firmware_entry(record, index, answer.data(), count);
    }
    return true;
}

// The tag's record, from the printer or from what the library holds.
bool build_record(PrinterContext& context, uint16_t tag, info::Record& record) {
    Answer answer{};
    uint32_t count = 0;
    switch (tag) {
        case info::kTagMedia:
            if (!inquire(context, packets::get_media_information(), answer, count)) return false;
            record = info::media_information(answer.data(), count);
            return true;
        case info::kTagUsbIdentity: record = info::usb_identity(kSupportedModelKey); return true;
        case info::kTagFirmware: return firmware_information(context, record);
        case info::kTagStatus:
        case info::kTagErrorCode:
        case info::kTagJobs:
        case info::kTagSetting30:
        case info::kTagStatus60:
            if (!status_frame(context, answer, count)) return false;
            record = info::status_extract(tag, answer.data(), count, context.selection.index());
            return true;
        case info::kTagSerial: {
            Serial serial = device_table()[context.selection.index()].serial();
            record = info::leading_bytes(tag, serial.data(), serial.size());
            return true;
        }
        case info::kTagErrorLog:
            if (!inquire(context, packets::get_error_log(), answer, count)) return false;
            record = info::leading_bytes(tag, answer.data(), count);
            return true;
        case info::kTagPrinterSerial:
            if (!inquire(context, packets::get_serial(), answer, count)) return false;
            record = info::leading_bytes(tag, answer.data(), count);
            return true;
        default:
            if (!info::is_parameter_tag(tag)) return false;
            if (!inquire(context, packets::get_parameter(info::parameter_number(tag)), answer, count)) return false;
            record = info::leading_bytes(tag, answer.data(), count);
            return true;
    }
}

}  // namespace

bool read_printer_info(PrinterContext& context, int tag_argument, void* buffer, uint32_t* size) {
    if (size == nullptr) return false;  // nowhere to say what was delivered
    ResultCode code = TZP_OK;
    PrinterHold hold = acquire_printer(context, code);
    if (!hold.held()) return false;
    uint16_t tag = static_cast<uint16_t>(tag_argument);  // a 16-bit argument passed as int

    ResultCode status = TZP_OK;
    printer_status(context, status);  // takes the printer once more
    uint32_t record_size = info::record_size(tag);
    if (status == TZP_NOT_RECOGNISED || is_usb_error(status) || record_size == 0) {
        *size = 0;
        return false;
    }
    if (buffer == nullptr) {
        *size = record_size;
        return true;
    }
    info::Record record;
    if (!build_record(context, tag, record)) {
        *size = 0;
        return false;
    }
    uint32_t delivered = std::min(*size, record.size);
    std::memcpy(buffer, record.bytes.data(), delivered);
    *size = delivered;
    return true;
}

}  // namespace tz::lib
