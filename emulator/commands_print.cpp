// Print jobs: the Print Command and the page data after it, cancelling,
// laminate strings, the cut list and the status of one job.
#include <algorithm>

#include "byteorder/little_endian.h"
#include "engine.h"

namespace tz::emulator {
namespace {

constexpr uint16_t kLargestImageSide = 4096;

// 0 job number, 1 copies, 3 width, 5 height, 7 area width, 9 area height,
// 11 offset X, 13 offset Y (all LE16), 15 tag-20 setting, 16 zero, 17 tag-30 setting.
Answer print(Engine& e, Session& session, const Command& c) {
    const uint8_t* p = c.payload;
    PageSetup page;
    page.number = p[0];
    page.copies = read_le16(p + 1);
    page.width = read_le16(p + 3);
    page.height = read_le16(p + 5);
    page.area_width = read_le16(p + 7);
    page.area_height = read_le16(p + 9);
    page.offset_x = read_le16(p + 11);
    page.offset_y = read_le16(p + 13);
    page.tag20 = p[15];
    page.tag30 = p[17];
    const bool fits = page.width >= 1 && page.width <= kLargestImageSide && page.height >= 1 &&
                      page.height <= kLargestImageSide && page.area_width <= e.settings.media_width &&
                      page.area_height <= e.settings.media_height &&
                      uint32_t{page.width} + page.offset_x <= page.area_width &&
                      uint32_t{page.height} + page.offset_y <= page.area_height;
    if (page.number == 0 || page.copies == 0 || p[16] != 0 || !fits || e.machine.find_number(page.number) != nullptr)
        return Engine::refuse();
    if (e.machine.error() || !e.machine.position_free()) return {e.not_now(), {}};

    const uint32_t bytes = uint32_t{page.width} * page.height * 3;
    DataPhase data;
    data.target = DataPhase::Target::Page;
    data.expected = bytes;
    data.job_id = e.machine.add_job(page, bytes, !e.options.output_folder.empty(), e.settings.laminate_strings,
                                    e.settings.cut_list);
    e.settings.last_tag30 = page.tag30;
    Bytes ack = e.ack();
    e.start_data(session, std::move(data));
    return {ack, {}};
}

Answer cancel_print_job(Engine& e, Session&, const Command& c) {
    e.machine.cancel(c.payload[0], e.now());
    return {e.ack(), {}};
}

// 0 slot, 1 value A, 3 value B (LE16), 5 value C, 6 value D, 7 text length, 8.. 20 text bytes.
Answer set_laminate_string(Engine& e, Session&, const Command& c) {
    const uint8_t* p = c.payload;
    const uint8_t slot = p[0], length = p[7];
    if (slot > 12 || length > 20) return Engine::refuse();
    if (slot == 0) return {e.ack(), {}};  // a slot the host never filled
    LaminateString string;
    string.slot = slot;
    string.value_a = read_le16(p + 1);
    string.value_b = read_le16(p + 3);
    string.value_c = p[5];
    string.value_d = p[6];
    string.text.assign(reinterpret_cast<const char*>(p + 8), length);
    e.settings.laminate_strings[slot - 1] = string;
    return {e.ack(), {}};
}

// 0 count (0xFF: no cuts), then 36 cut positions (LE16).
Answer set_cut_list(Engine& e, Session&, const Command& c) {
    const uint8_t count = c.payload[0];
    if (count == 0 || (count > 36 && count != 0xFF)) return Engine::refuse();
    CutList list;
    list.count = count;
    for (size_t i = 0; i < list.cuts.size(); ++i) list.cuts[i] = read_le16(c.payload + 1 + 2 * i);
    e.settings.cut_list = list;
    return {e.ack(), {}};
}

// 0 job number, 1..6 the job record's three values, 7..8 the job's state word.
Answer get_printer_id_status(Engine& e, Session&, const Command& c) {
    const uint8_t number = c.payload[0];
    if (number == 0) return Engine::refuse();
    Bytes payload(9, 0);
    payload[0] = number;
    for (const JobRecord& record : e.machine.job_records()) {
        if (record.state == 0 || record.number != number) continue;
        put_le16(payload.data() + 1, record.copies);
        put_le16(payload.data() + 3, record.printed);
        put_le16(payload.data() + 5, record.received_percent);
    }
    put_le16(payload.data() + 7, e.machine.job_word(number));
    return {e.reply(payload), {}};
}

}  // namespace

void finish_page_data(Engine& e, DataPhase& data) { e.machine.job_data_complete(data.job_id, e.now()); }

void add_print_commands(std::vector<CommandEntry>& table) {
    table.push_back({0x01, 0x40, "Print Command", 18, Needs::Ready, print});
    table.push_back({0x02, 0x40, "Cancel Print Job Command", 1, Needs::Nothing, cancel_print_job});
    table.push_back({0x08, 0x40, "Set Laminate String Command", 28, Needs::Nothing, set_laminate_string});
    table.push_back({0x09, 0x40, "Set Cut List Command", 73, Needs::Nothing, set_cut_list});
    table.push_back({0x07, 0x00, "Get Printer ID Status Command", 1, Needs::Nothing, get_printer_id_status});
}

}  // namespace tz::emulator
