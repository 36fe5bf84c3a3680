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
ResultCode inquire(PrinterContext& context, const packets::Packet& packet, Answer& answer, uint32_t& count) {
    if (ResultCode code = context.sender->send(packet); code != TZP_OK) return code;
    return context.receiver->read_payload(answer.data(), answer.size(), count);
}

ResultCode status_frame(PrinterContext& context, Answer& frame, uint32_t& count) {
    if (ResultCode code = context.sender->send(packets::get_status()); code != TZP_OK) return code;
    return context.receiver->read_frame(frame.data(), frame.size(), count);
}

ResultCode firmware_information(PrinterContext& context, info::Record& record) {
    if (printer_status(context) == TZP_PANEL_IN_USE) return TZP_PANEL_IN_USE;
    record = info::firmware_record();
    Answer answer{};
    for (size_t index = 1; index <= info::kFirmwareEntryCount; ++index) {
        uint32_t count = 0;
        const ResultCode code =
            inquire(context, packets::get_firmware_information(static_cast<uint8_t>(index)), answer, count);
        if (code != TZP_OK) return code;
        info::put_firmware_entry(record, index, answer.data(), count);
    }
    return TZP_OK;
}

// The record of an inquiry whose payload is the record's leading bytes.
ResultCode leading_record(PrinterContext& context, const packets::Packet& packet, uint16_t tag, info::Record& record) {
    Answer answer{};
    uint32_t count = 0;
    if (ResultCode code = inquire(context, packet, answer, count); code != TZP_OK) return code;
    record = info::leading_bytes(tag, answer.data(), count);
    return TZP_OK;
}

// The tag's record, from the printer or from what the library holds.
ResultCode build_record(PrinterContext& context, uint16_t tag, info::Record& record) {
    Answer answer{};
    uint32_t count = 0;
    switch (tag) {
        case info::kTagMedia:
            if (ResultCode code = inquire(context, packets::get_media_information(), answer, count); code != TZP_OK)
                return code;
            record = info::media_information(answer.data(), count);
            return TZP_OK;
        case info::kTagUsbIdentity: record = info::usb_identity(kSupportedModelKey); return TZP_OK;
        case info::kTagFirmware: return firmware_information(context, record);
        case info::kTagStatus:
        case info::kTagErrorCode:
        case info::kTagJobs:
        case info::kTagSetting30:
        case info::kTagStatus60:
            if (ResultCode code = status_frame(context, answer, count); code != TZP_OK) return code;
            record = info::status_extract(tag, answer.data(), count, context.selection.index());
            return TZP_OK;
        case info::kTagSerial: {
            Serial serial = device_table()[context.selection.index()].serial();
            record = info::leading_bytes(tag, serial.data(), serial.size());
            return TZP_OK;
        }
        case info::kTagErrorLog: return leading_record(context, packets::get_error_log(), tag, record);
        case info::kTagPrinterSerial: return leading_record(context, packets::get_serial(), tag, record);
        default:
            if (!info::is_parameter_tag(tag)) return TZP_BAD_PARAMETER;
            return leading_record(context, packets::get_parameter(info::parameter_number(tag)), tag, record);
    }
}

}  // namespace

ResultCode read_printer_info(PrinterContext& context, int tag_argument, void* buffer, uint32_t* size) {
    if (size == nullptr) return TZP_BAD_PARAMETER;  // nowhere to say what was delivered
    PrinterHold hold;
    if (ResultCode code = acquire_printer(context, hold); code != TZP_OK) return code;
    uint16_t tag = static_cast<uint16_t>(tag_argument);  // a 16-bit argument passed as int

    const ResultCode status = printer_status(context);  // takes the printer once more
    const uint32_t record_size = info::record_size(tag);
    if (status == TZP_NOT_RECOGNISED || is_usb_error(status) || record_size == 0) {
        *size = 0;
        return record_size == 0 ? ResultCode{TZP_BAD_PARAMETER} : fold_usb_error(status);
    }
    if (buffer == nullptr) {
        *size = record_size;
        return TZP_OK;
    }
    info::Record record;
    if (ResultCode code = build_record(context, tag, record); code != TZP_OK) {
        *size = 0;
        return fold_usb_error(code);
    }
    uint32_t delivered = std::min(*size, record.size);
    std::memcpy(buffer, record.bytes.data(), delivered);
    *size = delivered;
    return TZP_OK;
}

}  // namespace tz::lib
