// Status and identity inquiries, and the device actions: operation button,
// stand-by, LED, and the Reset Command.
#include <algorithm>
#include <cstring>

#include "byteorder/little_endian.h"
#include "engine.h"
#include "status_report.h"

namespace tz::emulator {
namespace {

bool valid_serial_byte(uint8_t c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' || c == '_';
}

void append_text(Bytes& out, const std::string& text, size_t width) {
    std::string field = text.substr(0, width);
    field.resize(width, ' ');
    out.insert(out.end(), field.begin(), field.end());
}

Answer get_status(Engine& e, Session&, const Command&) {
    StatusReport report;
    report.status = e.frame_status();
    report.media_width = e.settings.media_width;
    report.media_height = e.settings.media_height;
    report.prints = e.state.prints;
    report.media_left = e.settings.media_left;
    if (const auto& error = e.machine.error(); error && error->group == 6) {
        report.cover_open = error->detail == 1 || error->detail == 2;
        report.ribbon_loaded = !(error->detail == 3 || error->detail == 5);
        report.paper_loaded = !(error->detail >= 6 && error->detail <= 8);
    }
    report.operation_button = e.settings.operation_button;
    report.standby = e.settings.standby;
    report.led_flashing = e.settings.led_until > e.now();
    report.diagnosis_mode = e.machine.diagnosis_mode();
    report.jobs = e.machine.job_records();
    report.head_temperature = e.machine.printing() ? 45 : 25;
    report.tag30 = e.settings.last_tag30;
    return {e.reply(encode_status_payload(report)), {}};
}

// 0 media kind, 1..2 zero, 3 ribbon kind, 4..5 largest print width,
// 6..7 largest print height, 8..9 prints left on the media.
Answer get_media_information(Engine& e, Session&, const Command&) {
    Bytes payload = {0x01, 0x00, 0x00, 0x01};
    append_le16(payload, e.settings.media_width);
    append_le16(payload, e.settings.media_height);
    append_le16(payload, e.settings.media_left);
    return {e.reply(payload), {}};
}

// 03 00 'T' 'Z' 'P' 'F' and ten zero bytes; the answer is the model name.
Answer get_model_name(Engine& e, Session&, const Command& c) {
    static const uint8_t kMagic[14] = {'T', 'Z', 'P', 'F', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    if (std::memcmp(c.payload, kMagic, sizeof kMagic) != 0) return Engine::refuse();
    Bytes payload(16, 0);
    std::memcpy(payload.data(), "TARVO 5170", 10);
    return {e.reply(payload), {}};
}

Answer get_serial(Engine& e, Session&, const Command&) {
    Bytes payload(8, ' ');
    std::copy_n(e.state.serial.begin(), std::min<size_t>(8, e.state.serial.size()), payload.begin());
    return {e.reply(payload), {}};
}

Answer set_serial(Engine& e, Session&, const Command& c) {
    if (!std::all_of(c.payload, c.payload + 8, valid_serial_byte)) return Engine::refuse();
    e.state.serial.assign(reinterpret_cast<const char*>(c.payload), 8);
    e.persist();
    return {e.ack(), {}};
}

Answer get_firmware_information(Engine& e, Session&, const Command& c) {
    const uint8_t component = c.payload[0];
    if (component < 1 || component > kFirmwareEntryCount) return Engine::refuse();
    const FirmwareEntry& entry = e.state.firmware[component - 1];
    Bytes payload;
    append_text(payload, entry.name, 8);
    append_text(payload, entry.type, 16);
    append_text(payload, entry.date, 10);
    payload.push_back(entry.major);
    payload.push_back(entry.minor);
    append_le16(payload, entry.value);
    return {e.reply(payload), {}};
}

// 0: the printer's buttons work, 1: they are locked.
Answer operation_button(Engine& e, Session&, const Command& c) {
    if (c.payload[0] > 1) return Engine::refuse();
    e.settings.operation_button = c.payload[0];
    return {e.ack(), {}};
}

// 0: wake up, 1: go to stand-by.
Answer wake_up_standby(Engine& e, Session&, const Command& c) {
    if (c.payload[0] > 1) return Engine::refuse();
    e.settings.standby = c.payload[0] == 1;
    return {e.ack(), {}};
}

Answer flash_led(Engine& e, Session&, const Command&) {
    e.settings.led_until = e.now() + e.scaled(e.durations.led);
    return {e.ack(), {}};
}

// Target 3 sub-target 0: restart the printer; target 4: the tone curves of
// one kind back to the factory curve; target 16: the factory laminate pattern.
Answer reset(Engine& e, Session&, const Command& c) {
    const uint8_t target = c.payload[0], sub = c.payload[1];
    if (target == 3 && sub == 0) {
        Bytes ack = e.ack();
        e.machine.restart(e.now());
        e.forget_settings();
        return {ack, {}};
    }
    if (target == 4 && sub >= 1 && sub <= 4) {
        e.state.tone_curves.erase({1, sub});
        e.state.tone_curves.erase({2, sub});
        e.persist();
        return {e.ack(), {}};
    }
    if (target == 16 && sub == 0) {
        e.state.laminate = LaminatePattern{};
        e.persist();
        return {e.ack(), {}};
    }
    return Engine::refuse();
}

}  // namespace

void add_status_commands(std::vector<CommandEntry>& table) {
    table.push_back({0x01, 0x00, "Get Status Command", 0, Needs::Nothing, get_status});
    table.push_back({0x02, 0x00, "Get Media Information Command", 0, Needs::Nothing, get_media_information});
    table.push_back({0x03, 0x00, "Get Model Name Command", 14, Needs::Nothing, get_model_name});
    table.push_back({0x06, 0x00, "Get Serial No. Command", 0, Needs::Nothing, get_serial});
    table.push_back({0x09, 0xC0, "Get Serial No. Command (write)", 8, Needs::Ready, set_serial});
    table.push_back({0x03, 0xC0, "Get Firmware Information Command", 1, Needs::Nothing, get_firmware_information});
    table.push_back({0x06, 0x40, "Operation Button Command", 1, Needs::Nothing, operation_button});
    table.push_back({0x0A, 0x40, "Wake-up Stand-by Command", 1, Needs::Nothing, wake_up_standby});
    table.push_back({0x03, 0x40, "Flash LED Command", 0, Needs::Nothing, flash_led});
    table.push_back({0x04, 0x40, "Reset Command", 2, Needs::Ready, reset});
}

}  // namespace tz::emulator
