#include "job_control.h"

#include <array>
#include <cstring>

#include "byteorder/little_endian.h"
#include "core/acquisition.h"
#include "core/command_packets.h"
#include "core/printer_context.h"
#include "info/printer_info_read.h"

namespace tz::lib {
namespace {

constexpr uint16_t kAllJobs = 0xFFFF;
constexpr size_t kJobRecordSize = 9;
constexpr int kJobRecordsTag = 16;
constexpr uint8_t kJobStateWaitingForPrinter = 18;

// The printer's two job records (tag 16): job number at byte 0, state at byte 8.
struct JobRecords {
    std::array<uint8_t, 2 * kJobRecordSize> bytes{};
    uint8_t job_number(size_t i) const { return bytes[i * kJobRecordSize]; }
    uint8_t state(size_t i) const { return bytes[i * kJobRecordSize + 8]; }
};

bool read_job_records(PrinterContext& context, JobRecords& records, ResultCode& code) {
    uint32_t size = static_cast<uint32_t>(records.bytes.size());
    if (!read_printer_info(context, kJobRecordsTag, records.bytes.data(), &size) || size != records.bytes.size()) {
        code = TZP_USB_ERROR;
        return false;
    }
    return true;
}

bool cancel_job(PrinterContext& context, uint8_t job_number, ResultCode& code) {
    return context.sender->send(packets::cancel_print_job(job_number), code) &&
           context.receiver->read_acknowledge(code);
}

ResultCode cancel_folding(ResultCode code) {
    if (code == TZP_REJECTED) return TZP_BAD_PARAMETER;
    if (code == 2602 || code == 2603) return TZP_USB_ERROR;
    return code;
}

uint8_t selected_index(const PrinterContext& context) { return context.selection.index(); }

// The printer's state as a status code: state letters a..m 2200..2212,
// another state 2300, no status frame 2600.
bool printer_state(PrinterContext& context, ResultCode& code) {
    return context.sender->send(packets::get_status(), code) && context.receiver->read_state(code);
}


}  // namespace

bool cancel_copies(PrinterContext& context, int print_id, ResultCode& code) {
    PrinterHold hold = acquire_printer(context, code);
    if (!hold.held()) return false;
    JobRecords records;
    if (!read_job_records(context, records, code)) return false;
    const auto id = static_cast<uint16_t>(print_id);
    if (id == kAllJobs) {
        bool any = false;
        for (size_t i = 0; i < 2; ++i) any = cancel_job(context, records.job_number(i), code) || any;
        code = any ? ResultCode{TZP_OK} : cancel_folding(code);
        return any;
    }
    if ((id >> 8) != selected_index(context)) {
        code = TZP_BAD_PARAMETER;
        return false;
    }
    for (size_t i = 0; i < 2; ++i) {
        if (records.job_number(i) != (id & 0xFF)) continue;
        const bool ok = cancel_job(context, records.job_number(i), code);
        code = cancel_folding(code);
        return ok;
    }
    code = TZP_OK;  // not in the printer: nothing to cancel
    return true;
}

bool print_id_status(PrinterContext& context, int print_id, void* status, ResultCode& code) {
    std::array<uint16_t, 4> result{};  // three values, then the status code
    const auto deliver = [&] {
        if (status != nullptr) std::memcpy(status, result.data(), sizeof result);
    };
    if (status != nullptr) std::memset(status, 0, sizeof result);
    PrinterHold hold = acquire_printer(context, code);
    if (!hold.held()) return false;
    JobRecords records;
    if (!read_job_records(context, records, code)) return false;
    const auto id = static_cast<uint16_t>(print_id);
    if (id == 0) {
        const bool ok = printer_state(context, code);
        result[3] = code;
        deliver();
        return ok;
    }
    if ((id >> 8) != selected_index(context)) {
        code = TZP_BAD_PARAMETER;
        return false;
    }
    const uint8_t job = id & 0xFF;
    if (!context.sender->send(packets::get_print_id_status(job), code)) return false;
    std::array<uint8_t, 300> payload{};
    uint32_t count = 0;
    if (!context.receiver->read_payload(payload.data(), payload.size(), count, code) || count < 9) {
        code = TZP_USB_ERROR;
        return false;
    }
    for (size_t i = 0; i < 3; ++i) result[i] = read_le16(payload.data() + 1 + 2 * i);
    const uint16_t state = read_le16(payload.data() + 7);
    code = TZP_OK;
    bool ok = true;
    if (state == 0 || state == 0xFFFF) {
        result[3] = 2300;
    } else if (state == 0x0200) {
        result[3] = 2212;
    } else if (state == 0x0100) {
        bool waiting = false;
        for (size_t i = 0; i < 2; ++i)
            waiting = waiting || (records.job_number(i) == job && records.state(i) == kJobStateWaitingForPrinter);
        result[3] = 2300;
        if (waiting) {
            ResultCode state_code = TZP_OK;
            printer_state(context, state_code);
            result[3] = state_code;
            if (is_usb_error(state_code)) {
                result[3] = TZP_USB_ERROR;
                code = TZP_USB_ERROR;
                ok = false;
            }
        }
    } else {
        result[3] = 0;
    }
    deliver();
    return ok;
}

}  // namespace tz::lib
