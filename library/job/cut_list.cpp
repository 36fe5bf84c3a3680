#include "cut_list.h"

#include <cstring>

#include "core/acquisition.h"
#include "core/command_packets.h"
#include "core/exchange.h"
#include "core/printer_context.h"
#include "print_job_state.h"

namespace tz::lib {

ResultCode set_cut_list(PrinterContext& context, PrintJobState& job, const void* record) {
    PrinterHold hold;
    if (ResultCode code = acquire_printer(context, hold); code != TZP_OK) return code;
    CutListState& stored = job.cut_list;
    stored = CutListState{0, {}};
    if (record == nullptr) {
        stored.count = kNoCutList;
    } else {
        const auto* bytes = static_cast<const uint8_t*>(record);
        if (bytes[0] == 0) return TZP_BAD_PARAMETER;
        stored.count = bytes[0];
        std::memcpy(stored.cuts.data(), bytes + 1, sizeof stored.cuts);
    }
    packets::CutListFields fields;
    fields.count = stored.count;
    fields.cuts = stored.cuts;
    const ResultCode code = send_and_acknowledge(context, packets::set_cut_list(fields));
    return code == TZP_REJECTED ? ResultCode{TZP_BAD_PARAMETER} : code;
}

}  // namespace tz::lib
