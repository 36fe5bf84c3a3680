#include "engine.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "byteorder/little_endian.h"

namespace tz::emulator {
namespace {

uint16_t command_key(uint8_t opcode, uint8_t command_class) {
    return static_cast<uint16_t>((opcode << 8) | command_class);
}

MachineTimes machine_times(const Durations& d, double scale) {
    auto s = [scale](uint32_t ms) { return static_cast<int64_t>(std::llround(ms * 1e6 * scale)); };
    MachineTimes t;
    t.copy = s(d.copy);
    t.restart = s(d.restart);
    t.rewrite_main = s(d.rewrite_main);
    t.rewrite_dsp = s(d.rewrite_dsp);
    t.rewrite_table = s(d.rewrite_table);
    t.rewrite_usb = s(d.rewrite_usb);
    t.usb_off_bus = s(d.usb_off_bus);
    t.usb_initialising = s(d.usb_initialising);
    t.diagnosis = s(d.diagnosis);
    t.diagnosis_all = s(d.diagnosis_all);
    return t;
}

ModelOptions with_clock(ModelOptions options) {
    if (!options.clock) options.clock = std::make_shared<SteadyClock>();
    if (!(options.time_scale >= 0)) options.time_scale = 1.0;
    return options;
}

link::Hello make_hello(const Identity& identity, const std::string& serial) {
    link::Hello hello;
    hello.vendor_id = identity.vendor_id;
    hello.product_id = identity.product_id;
    std::memcpy(hello.serial.data(), serial.data(), std::min(serial.size(), link::kSerialSize));
    // An IEEE 1284 style description, the serial at bytes 110..117.
    std::string text = "MFG:TARVO;CMD:TZPL;MDL:5170;CLS:PRINTER;DES:TARVO 5170 Photo Printer;";
    text.resize(link::kSerialOffsetInIdString - 3, ' ');
    text += "SN:";
    std::memcpy(hello.id_string.data(), text.data(), text.size());
    std::memcpy(hello.id_string.data() + link::kSerialOffsetInIdString, hello.serial.data(), link::kSerialSize);
    hello.id_string[link::kSerialOffsetInIdString + link::kSerialSize] = ';';
    return hello;
}

}  // namespace

uint32_t crc32_update(uint32_t crc, const uint8_t* data, size_t size) {
    static const auto table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return crc;
}

Engine::Engine(ModelOptions model_options, PrinterState printer_state)
    : options(with_clock(std::move(model_options))),
      state(std::move(printer_state)),
      machine(machine_times(durations, options.time_scale)) {
    std::vector<CommandEntry> entries;
    add_status_commands(entries);
    add_print_commands(entries);
    add_maintenance_commands(entries);
    add_download_commands(entries);
    add_curve_commands(entries);
    for (const CommandEntry& rule : entries) table_.emplace(command_key(rule.opcode, rule.command_class), rule);
    sessions_.emplace(0, Session{});
}

int64_t Engine::now() const { return options.clock->now_ns(); }

int64_t Engine::scaled(uint32_t printer_ms) const {
    return static_cast<int64_t>(std::llround(printer_ms * 1e6 * options.time_scale));
}

link::Hello Engine::hello() const { return make_hello(options.identity, state.serial); }

SessionId Engine::open_session() {
    SessionId id = next_session_++;
    sessions_.emplace(id, Session{});
    return id;
}

void Engine::close_session(SessionId id) {
    auto it = sessions_.find(id);
    if (it == sessions_.end()) return;
    // The host went away in the middle of its data: what it announced is lost.
    if (it->second.data) abandon_data(it->second);
    if (id != 0) sessions_.erase(it);
}

std::vector<PrintedCopy> Engine::take_printed() {
    std::vector<PrintedCopy> out;
    out.swap(printed_);
    return out;
}

void Engine::advance() {
    const int64_t t = now();
    for (MachineEvent& event : machine.advance(t)) {
        switch (event.kind) {
        case MachineEvent::Kind::CopyPrinted: {
            ++state.prints;
            if (settings.media_left > 0) --settings.media_left;
            if (!options.output_folder.empty() && event.job.pixels) {
                char name[64];
                std::snprintf(name, sizeof name, "-%06u-job%03u.png", state.prints, event.job.page.number);
                PrintedCopy copy;
                copy.path = options.output_folder + "/" + state.serial + name;
                copy.serial = state.serial;
                copy.print_number = state.prints;
                copy.copy = event.job.printed;
                copy.page = event.job.page;
                copy.laminate_strings = event.job.laminate_strings;
                copy.cut_list = event.job.cut_list;
                copy.pixels = event.job.pixels;
                printed_.push_back(std::move(copy));
            }
            persist();
            break;
        }
        case MachineEvent::Kind::RewriteDone: {
            FirmwareEntry& entry = state.firmware[firmware_entry_of(event.part) - 1];
            entry.major = event.version.major;
            entry.minor = event.version.minor;
            entry.value = event.version.sum;
            auto image = std::make_shared<InstalledFirmware>();
            image->part = event.part;
            image->image = std::move(rewriting_image);
            rewriting_image.clear();
            image->major = event.version.major;
            image->minor = event.version.minor;
            image->crc32 = crc32_update(0xFFFFFFFFu, image->image.data(), image->image.size()) ^ 0xFFFFFFFFu;
            installed[static_cast<size_t>(event.part)] = std::move(image);
            if (event.restart) forget_settings();
            persist();
            break;
        }
        case MachineEvent::Kind::DiagnosisDone:
            if (event.diagnosis_mode == 1)
                settings.diagnosis_results.fill(1);
            else if (event.diagnosis_mode >= 1 && event.diagnosis_mode <= settings.diagnosis_results.size())
                settings.diagnosis_results[event.diagnosis_mode - 1] = 1;
            break;
        }
    }
    for (auto& [id, session] : sessions_) {
        if (session.data && t - session.data->last_data > kDataTimeoutNs) {
            abandon_data(session);
            refuse_data("the announced data did not arrive in time");
        }
    }
}

std::vector<Bytes> Engine::on_transfer(SessionId id, const uint8_t* data, size_t size) {
    advance();
    auto it = sessions_.find(id);
    if (it == sessions_.end()) it = sessions_.emplace(id, Session{}).first;
    Session& session = it->second;
    if (session.data) {
        if (data != nullptr) take_data(session, data, size);
        return {};
    }
    return shape(answer(session, data, size));
}

Answer Engine::answer(Session& session, const uint8_t* data, size_t size) {
    if (data == nullptr || size < kCommandHeaderSize) return refuse();
    Command command;
    command.opcode = data[0];
    command.command_class = data[1];
    if (command.opcode == 0x03 && command.command_class == 0x00) {
        // Get Model Name: a fixed 16-byte packet without a length field.
        command.payload = data + 2;
        command.length = size - 2;
    } else {
        size_t length = read_le16(data + 2);
        if (size != kCommandHeaderSize + length) return refuse();
        command.payload = data + kCommandHeaderSize;
        command.length = length;
    }
    if (faults.error) {
        const auto& e = *faults.error;
        return {error_frame(e[0], e[1], e[2], e[3]), {}};
    }
    if (pending_refusal) {
        Answer refusal{*pending_refusal, {}};
        pending_refusal.reset();
        return refusal;
    }
    auto found = table_.find(command_key(command.opcode, command.command_class));
    if (found == table_.end()) return {error_frame(kErrorUnknownCommand), {}};
    const CommandEntry& rule = found->second;
    if (rule.payload_length != kAnyLength && command.length != static_cast<size_t>(rule.payload_length))
        return refuse();
    if (rule.needs != Needs::Nothing && !machine.ready()) return {not_now(), {}};
    if (rule.needs == Needs::ReadyAndEmpty && machine.occupied() > 0) return {error_frame(kStateBusy), {}};
    return rule.handler(*this, session, command);
}

Bytes Engine::not_now() const {
    FrameStatus status = machine.status();
    if (status.state == kStateError) return error_frame(kStateError, status.group, status.detail, status.detail2);
    if (status.state != kStateReady) return error_frame(status.state);
    return error_frame(kStateBusy);
}

std::vector<Bytes> Engine::shape(Answer answer) {
    Bytes& frame = answer.frame;
    if (faults.state && frame.size() >= kFrameHeaderSize && frame[0] == kFrameNormal) frame[7] = *faults.state;
    if (faults.corrupt_next && frame.size() >= kFrameHeaderSize) {
        faults.corrupt_next = false;
        put_le16(frame.data() + 8, static_cast<uint16_t>(read_le16(frame.data() + 8) + 1));
    }
    if (faults.truncate_next && !frame.empty()) {
        faults.truncate_next = false;
        frame.resize(std::max<size_t>(1, frame.size() / 2));
    }
    std::vector<Bytes> out;
    out.reserve(1 + answer.packets.size());
    out.push_back(std::move(frame));
    for (Bytes& packet : answer.packets) out.push_back(std::move(packet));
    return out;
}

void Engine::start_data(Session& session, DataPhase data) {
    data.last_data = now();
    if (data.expected == 0) {
        switch (data.target) {
        case DataPhase::Target::Page: finish_page_data(*this, data); break;
        case DataPhase::Target::Firmware: finish_firmware_data(*this, data); break;
        case DataPhase::Target::ToneCurve: finish_tone_curve_data(*this, data); break;
        case DataPhase::Target::Laminate: finish_laminate_data(*this, data); break;
        }
        return;
    }
    session.data = std::move(data);
}

void Engine::take_data(Session& session, const uint8_t* data, size_t size) {
    DataPhase& phase = *session.data;
    phase.last_data = now();
    const size_t room = phase.expected - phase.received;
    const size_t taken = std::min(room, size);
    switch (phase.target) {
    case DataPhase::Target::Page: machine.job_data(phase.job_id, data, taken); break;
    case DataPhase::Target::Firmware:
    case DataPhase::Target::ToneCurve: phase.bytes.insert(phase.bytes.end(), data, data + taken); break;
    case DataPhase::Target::Laminate: phase.crc = crc32_update(phase.crc, data, taken); break;
    }
    phase.received += static_cast<uint32_t>(taken);
    if (size > room) {
        abandon_data(session);
        refuse_data("more data than was announced");
        return;
    }
    if (phase.received < phase.expected) return;
    DataPhase done = std::move(phase);
    session.data.reset();
    switch (done.target) {
    case DataPhase::Target::Page: finish_page_data(*this, done); break;
    case DataPhase::Target::Firmware: finish_firmware_data(*this, done); break;
    case DataPhase::Target::ToneCurve: finish_tone_curve_data(*this, done); break;
    case DataPhase::Target::Laminate: finish_laminate_data(*this, done); break;
    }
}

void Engine::abandon_data(Session& session) {
    if (session.data && session.data->target == DataPhase::Target::Page) machine.drop_job(session.data->job_id);
    session.data.reset();
}

void Engine::refuse_data(std::string why) {
    pending_refusal = error_frame(kErrorBadParameter);
    last_refusal = std::move(why);
}

void Engine::persist() {
    if (!save_state(options.state_file, state))
        std::fprintf(stderr, "virtual printer %s: cannot write %s\n", state.serial.c_str(), options.state_file.c_str());
}

void Engine::log_error(uint8_t group, uint8_t detail, uint8_t detail2) {
    state.error_log.insert(state.error_log.begin(), ErrorLogEntry{group, detail, detail2, state.prints});
    if (state.error_log.size() > kErrorLogCapacity) state.error_log.resize(kErrorLogCapacity);
    persist();
}

void Engine::forget_settings() {
    Settings fresh;
    fresh.media_width = settings.media_width;
    fresh.media_height = settings.media_height;
    fresh.media_left = settings.media_left;
    settings = fresh;
}

void Engine::set_condition(Condition condition) {
    uint8_t detail = 0;
    switch (condition) {
    case Condition::CoverOpen: detail = 1; break;
    case Condition::NoRibbon: detail = 3; break;
    case Condition::NoPaper: detail = 6; break;
    }
    const auto& current = machine.error();
    if (current && current->group == 6 && current->detail == detail) return;
    machine.set_error(PrinterError{6, detail, 0}, now());
    log_error(6, detail, 0);
}

void Engine::clear_condition() { machine.clear_error(now()); }

ModelInfo Engine::info() const {
    ModelInfo info;
    FrameStatus status = machine.status();
    info.state_byte = faults.state ? *faults.state : status.state;
    info.activity = activity_name(machine.activity());
    if (machine.activity() == Activity::Idle && machine.printing()) info.activity = "printing";
    if (const auto& error = machine.error()) {
        switch (error->detail) {
        case 1: case 2: info.condition = "cover-open"; break;
        case 3: case 5: info.condition = "no-ribbon"; break;
        case 6: case 7: case 8: info.condition = "no-paper"; break;
        default: info.condition = "error"; break;
        }
    }
    info.jobs = machine.occupied();
    info.on_bus = machine.on_bus();
    return info;
}

}  // namespace tz::emulator
