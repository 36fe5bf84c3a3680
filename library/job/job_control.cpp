#include "job_control.h"

#include <array>
#include <cstring>

#include "byteorder/little_endian.h"
#include "core/acquisition.h"
#include "core/command_packets.h"
#include "core/exchange.h"
#include "core/printer_context.h"
#include "info/printer_info_read.h"

namespace tz::lib {
namespace {

constexpr uint16_t kAllJobs = 0xFFFF;
constexpr size_t kJobRecordSize = 9;
constexpr int kJobRecordsTag = 16;
constexpr uint8_t kJobStateWaitingForPrinter = 18;
// The job states of a print-ID status answer.
constexpr uint16_t kJobUnknown = 0x0000;
constexpr uint16_t kJobPrinting = 0x0100;
constexpr uint16_t kJobFinished = 0x0200;
constexpr uint16_t kJobCancelled = 0xFFFF;


// The printer's two job records (tag 16): job number at byte 0, state at byte 8.
struct JobRecords {
    std::array<uint8_t, 2 * kJobRecordSize> bytes{};
    uint8_t job_number(size_t i) const { return bytes[i * kJobRecordSize]; }
    uint8_t state(size_t i) const { return bytes[i * kJobRecordSize + 8]; }
};

ResultCode read_job_records(PrinterContext& context, JobRecords& records) {
    uint32_t size = static_cast<uint32_t>(records.bytes.size());
    if (read_printer_info(context, kJobRecordsTag, records.bytes.data(), &size) != TZP_OK ||
        size != records.bytes.size())
        return TZP_USB_ERROR;
    return TZP_OK;
}

ResultCode cancel_job(PrinterContext& context, uint8_t job_number) {
    return send_and_acknowledge(context, packets::cancel_print_job(job_number));
}

// The printer's refusal counts as a bad parameter; two of the further
// communication failures as the first.
ResultCode cancel_folding(ResultCode code) {
    if (code == TZP_REJECTED) return TZP_BAD_PARAMETER;
    if (code == TZP_USB_ERROR_2 || code == TZP_USB_ERROR_3) return TZP_USB_ERROR;
    return code;
}

uint8_t selected_index(const PrinterContext& context) { return context.selection.index(); }

// The printer's state as a value through `state`: state letters a..m
// TZP_STATE_LETTER_A.., another state TZP_NO_STATE_LETTER, an error answer
// TZP_USB_ERROR. TZP_USB_ERROR when the inquiry gets no answer.
ResultCode printer_state(PrinterContext& context, ResultCode& state) {
    if (ResultCode code = context.sender->send(packets::get_status()); code != TZP_OK) return code;
    return context.receiver->read_state(state);
}

}  // namespace

ResultCode cancel_copies(PrinterContext& context, int print_id) {
    PrinterHold hold;
    if (ResultCode code = acquire_printer(context, hold); code != TZP_OK) return code;
    JobRecords records;
    if (ResultCode code = read_job_records(context, records); code != TZP_OK) return code;
    const auto id = static_cast<uint16_t>(print_id);
    if (id == kAllJobs) {
        bool any = false;
        ResultCode last = TZP_OK;
        for (size_t i = 0; i < 2; ++i) {
            last = cancel_job(context, records.job_number(i));
            any = any || last == TZP_OK;
        }
        return any ? ResultCode{TZP_OK} : cancel_folding(last);
    }
    if ((id >> 8) != selected_index(context)) return TZP_BAD_PARAMETER;
    for (size_t i = 0; i < 2; ++i)
        if (records.job_number(i) == (id & 0xFF)) return cancel_folding(cancel_job(context, records.job_number(i)));
    return TZP_OK;  // not in the printer: nothing to cancel
}

ExportAnswer print_id_status(PrinterContext& context, int print_id, void* status) {
    std::array<uint16_t, 4> result{};  // three values, then the status code
    const auto deliver = [&] {
        if (status != nullptr) std::memcpy(status, result.data(), sizeof result);
    };
    const auto failed = [](ResultCode code) { return ExportAnswer{false, code}; };
    if (status != nullptr) std::memset(status, 0, sizeof result);
    PrinterHold hold;
    if (ResultCode code = acquire_printer(context, hold); code != TZP_OK) return failed(code);
    JobRecords records;
    if (ResultCode code = read_job_records(context, records); code != TZP_OK) return failed(code);
    const auto id = static_cast<uint16_t>(print_id);
    if (id == 0) {
        // The printer as a whole: its state is the answer, and stored as the code.
        ResultCode state = TZP_OK;
        const ResultCode code = printer_state(context, state);
        result[3] = code == TZP_OK ? state : code;
        deliver();
        return code == TZP_OK ? ExportAnswer{true, state} : failed(code);
    }
    if ((id >> 8) != selected_index(context)) return failed(TZP_BAD_PARAMETER);
    const uint8_t job = id & 0xFF;
    if (ResultCode code = context.sender->send(packets::get_print_id_status(job)); code != TZP_OK) return failed(code);
    std::array<uint8_t, 300> payload{};
    uint32_t count = 0;
    if (context.receiver->read_payload(payload.data(), payload.size(), count) != TZP_OK || count < 9)
        return failed(TZP_USB_ERROR);
    for (size_t i = 0; i < 3; ++i) result[i] = read_le16(payload.data() + 1 + 2 * i);
    const uint16_t job_state = read_le16(payload.data() + 7);
    ResultCode code = TZP_OK;
    if (job_state == kJobUnknown || job_state == kJobCancelled) {
        result[3] = TZP_NO_STATE_LETTER;
    } else if (job_state == kJobFinished) {
        result[3] = TZP_STATE_LETTER_M;  // m: finished
    } else if (job_state == kJobPrinting) {
        bool waiting = false;
        for (size_t i = 0; i < 2; ++i)
            waiting = waiting || (records.job_number(i) == job && records.state(i) == kJobStateWaitingForPrinter);
        result[3] = TZP_NO_STATE_LETTER;
        if (waiting) {
            ResultCode state = TZP_OK;
            const ResultCode answered = printer_state(context, state);
            result[3] = answered == TZP_OK ? state : answered;
            if (is_usb_error(result[3])) {
                result[3] = TZP_USB_ERROR;
                code = TZP_USB_ERROR;
            }
        }
    } else {
        result[3] = 0;
    }
    deliver();
    return ExportAnswer{code == TZP_OK, code};
}

}  // namespace tz::lib
