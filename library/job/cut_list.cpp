#include "cut_list.h"

#include <cstring>

#include "core/acquisition.h"
#include "core/command_packets.h"
#include "core/printer_context.h"
#include "print_job_state.h"

namespace tz::lib {

bool set_cut_list(PrinterContext& context, PrintJobState& job, const void* record, ResultCode& code) {
    PrinterHold hold = acquire_printer(context, code);
    if (!hold.held()) return false;
    CutListState& stored = job.cut_list;
    stored = CutListState{0, {}};
    if (record == nullptr) {
        stored.count = kNoCutList;
    } else {
        const auto* bytes = static_cast<const uint8_t*>(record);
        if (bytes[0] == 0) {
            code = TZP_BAD_PARAMETER;
            return false;
        }
        stored.count = bytes[0];
        std::memcpy(stored.cuts.data(), bytes + 1, sizeof stored.cuts);
    }
    packets::CutListFields fields;
    fields.count = stored.count;
    fields.cuts = stored.cuts;
    const bool ok = context.sender->send(packets::set_cut_list(fields), code) && context.receiver->read_acknowledge(code);
    if (code == TZP_REJECTED) code = TZP_BAD_PARAMETER;
    return ok;
}

}  // namespace tz::lib
