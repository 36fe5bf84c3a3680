#include "page_start.h"

#include <array>

#include "core/acquisition.h"
#include "core/command_packets.h"
#include "core/printer_context.h"
#include "info/printer_info_read.h"
#include "info/status_actions.h"
#include "print_ids.h"
#include "print_session.h"

namespace tz::lib {
namespace {

constexpr int kJobRecordsTag = 16;
constexpr size_t kJobRecordsSize = 18;
// In the status frame, header included: the job state of each job position.
constexpr size_t kFirstJobState = 45;
constexpr size_t kSecondJobState = 53;

// Both job positions taken, from a fresh status frame; a frame that cannot
// be asked for skips the check, one that cannot be read fails.
bool both_positions_taken(PrinterContext& context, bool& taken, ResultCode& code) {
    taken = false;
    if (!context.sender->send(packets::get_status(), code)) return true;
    std::array<uint8_t, kTimedReadSize> frame{};
    uint32_t count = 0;
    if (!context.receiver->read_frame(frame.data(), frame.size(), count, code)) {
        code = fold_usb_error(code);
        return false;
    }
    taken = count > kSecondJobState && frame[kFirstJobState] != 0 && frame[kSecondJobState] != 0;
    return true;
}

bool send_laminate_strings(PrinterContext& context, const PrintJobState& job, ResultCode& code) {
    for (const LaminateStringSlot& slot : job.laminate_strings) {
        packets::LaminateStringFields fields;
        fields.slot = slot.slot;
        fields.value_a = slot.value_a;
        fields.value_b = slot.value_b;
        fields.value_c = slot.value_c;
        fields.value_d = slot.value_d;
        fields.text_length = std::min<uint8_t>(slot.text_length, kLaminateTextSize);
        fields.text = slot.text;
        if (!context.sender->send(packets::set_laminate_string(fields), code)) return false;
        ResultCode answer = TZP_OK;
        // An error answer is noted, not fatal; a failed transfer is.
        if (!context.receiver->read_acknowledge(answer) && answer == TZP_USB_ERROR) {
            code = answer;
            return false;
        }
    }
    return true;
}

bool send_print_command(PrinterContext& context, const PrintJobState& job, ResultCode& code) {
    packets::PrintCommandFields fields;
    fields.job_number = static_cast<uint8_t>(job.print_id);
    fields.copies = job.copies;
    fields.image_width = job.image.width;
    fields.image_height = job.image.height;
    fields.area_width = job.area_width;
    fields.area_height = job.area_height;
    fields.offset_x = job.offset_x;
    fields.offset_y = job.offset_y;
    fields.setting20 = static_cast<uint8_t>(job.setting20);
    fields.setting30 = static_cast<uint8_t>(job.setting30);
    return context.sender->send(packets::print(fields), code) && context.receiver->read_acknowledge(code);
}

bool open_page(PrinterContext& context, PrintSession& session, uint16_t* print_id, ResultCode& code) {
    PrintJobState& job = session.job;
    job.image.lines_processed = 0;
    job.bytes_queued = 0;
    job.bytes_written = 0;
    if ((job.image.format != 3 && job.image.format != 4) || job.image.channels != 3) {
        code = TZP_BAD_PARAMETER;
        return false;
    }
    if (!printer_status(context, code)) return false;
    if (!job.print_area_set) {
        code = TZP_BAD_PARAMETER;
        return false;
    }
    std::array<uint8_t, kJobRecordsSize> records{};
    uint32_t size = static_cast<uint32_t>(records.size());
    if (!read_printer_info(context, kJobRecordsTag, records.data(), &size) || size != records.size()) {
        code = TZP_USB_ERROR;
        return false;
    }
    job.print_id = make_print_id(context.selection.index(), next_job_number(records[0], records[9]));
    *print_id = job.print_id;
    session.stream.reset();
    bool taken = false;
    if (!both_positions_taken(context, taken, code)) return false;
    if (taken) {
        code = TZP_BUSY;
        return false;
    }
    if (!send_laminate_strings(context, job, code)) return false;
    if (!send_print_command(context, job, code)) return false;
    session.converter->start_page();
    code = TZP_OK;
    return true;
}

}  // namespace

bool start_page(PrinterContext& context, PrintSession& session, uint16_t* print_id, ResultCode& code) {
    if (print_id == nullptr) {
        code = TZP_BAD_PARAMETER;
        return false;
    }
    *print_id = 0;
    session.page_hold.release();  // a page never ended is given up
    PrinterHold hold = acquire_printer(context, code);
    if (!hold.held()) return false;
    const bool ok = open_page(context, session, print_id, code);
    if (code == TZP_REJECTED) code = TZP_BAD_PARAMETER;
    if (ok) session.page_hold = std::move(hold);
    return ok;
}

void end_page(PrintSession& session, ResultCode& code) {
    session.job.copies = 1;
    session.page_hold.release();
    code = TZP_OK;
}

}  // namespace tz::lib
