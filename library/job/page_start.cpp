#include "page_start.h"

#include <array>

#include "core/acquisition.h"
#include "core/command_packets.h"
#include "core/exchange.h"
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
ResultCode both_positions_taken(PrinterContext& context, bool& taken) {
    taken = false;
    if (context.sender->send(packets::get_status()) != TZP_OK) return TZP_OK;
    std::array<uint8_t, kTimedReadSize> frame{};
    uint32_t count = 0;
    if (ResultCode code = context.receiver->read_frame(frame.data(), frame.size(), count); code != TZP_OK)
        return fold_usb_error(code);
    taken = count > kSecondJobState && frame[kFirstJobState] != 0 && frame[kSecondJobState] != 0;
    return TZP_OK;
}

ResultCode send_laminate_strings(PrinterContext& context, const PrintJobState& job) {
    for (const LaminateStringSlot& slot : job.laminate_strings) {
        packets::LaminateStringFields fields;
        fields.slot = slot.slot;
        fields.value_a = slot.value_a;
        fields.value_b = slot.value_b;
        fields.value_c = slot.value_c;
        fields.value_d = slot.value_d;
        fields.text_length = std::min<uint8_t>(slot.text_length, kLaminateTextSize);
        fields.text = slot.text;
        if (ResultCode code = context.sender->send(packets::set_laminate_string(fields)); code != TZP_OK) return code;
        // An error answer is noted, not fatal; a failed transfer is.
        if (context.receiver->read_acknowledge() == TZP_USB_ERROR) return TZP_USB_ERROR;
    }
    return TZP_OK;
}

ResultCode send_print_command(PrinterContext& context, const PrintJobState& job) {
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
    return send_and_acknowledge(context, packets::print(fields));
}

ResultCode open_page(PrinterContext& context, PrintSession& session, uint16_t* print_id) {
    PrintJobState& job = session.job;
    job.image.lines_processed = 0;
    job.bytes_queued = 0;
    job.bytes_written = 0;
    if ((job.image.format != 3 && job.image.format != 4) || job.image.channels != 3) return TZP_BAD_PARAMETER;
    if (ResultCode code = printer_status(context); code != TZP_OK) return code;
    if (!job.print_area_set) return TZP_BAD_PARAMETER;
    std::array<uint8_t, kJobRecordsSize> records{};
    uint32_t size = static_cast<uint32_t>(records.size());
    if (read_printer_info(context, kJobRecordsTag, records.data(), &size) != TZP_OK || size != records.size())
        return TZP_USB_ERROR;
    job.print_id = make_print_id(context.selection.index(), next_job_number(records[0], records[9]));
    *print_id = job.print_id;
    session.stream.reset();
    bool taken = false;
    if (ResultCode code = both_positions_taken(context, taken); code != TZP_OK) return code;
    if (taken) return TZP_BUSY;
    if (ResultCode code = send_laminate_strings(context, job); code != TZP_OK) return code;
    if (ResultCode code = send_print_command(context, job); code != TZP_OK) return code;
    session.converter->start_page();
    return TZP_OK;
}

}  // namespace

ResultCode start_page(PrinterContext& context, PrintSession& session, uint16_t* print_id) {
    if (print_id == nullptr) return TZP_BAD_PARAMETER;
    *print_id = 0;
    session.page_hold.release();  // a page never ended is given up
    PrinterHold hold;
    if (ResultCode code = acquire_printer(context, hold); code != TZP_OK) return code;
    const ResultCode code = open_page(context, session, print_id);
    if (code != TZP_OK) return code == TZP_REJECTED ? ResultCode{TZP_BAD_PARAMETER} : code;
    session.page_hold = std::move(hold);
    return TZP_OK;
}

ResultCode end_page(PrintSession& session) {
    session.job.copies = 1;
    session.page_hold.release();
    return TZP_OK;
}

}  // namespace tz::lib
