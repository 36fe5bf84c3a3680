#include "control.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <vector>

#include "emulator/virtual_printer.h"
#include "firmware_image.h"

namespace tz::emulator {

const char* const kControlHelp =
    "unplug          leave the bus (the socket file goes, connections end)\n"
    "replug          come back on the bus\n"
    "hang            stop answering (transfers are taken and dropped)\n"
    "resume          answer again\n"
    "info            serial, plugged, hanging, connections, state byte, activity, jobs\n"
    "error E [G [D [D2]]]  answer every command with this error frame (hex bytes:\n"
    "                error byte, group, detail, second detail) until 'error clear'\n"
    "error clear     answer normally again\n"
    "state X         every normal answer carries state byte X: one character stands\n"
    "                for itself ('state c', 'state 7'), 0xNN is a byte ('state 0x21')\n"
    "state clear     the printer's own state byte again\n"
    "cover-open      printer error: cover open (state 0x11, group 6, detail 1)\n"
    "no-paper        printer error: no paper (state 0x11, group 6, detail 6)\n"
    "no-ribbon       printer error: no ink ribbon (state 0x11, group 6, detail 3)\n"
    "clear-error     the printer error is put right; printing goes on\n"
    "delay MS        wait MS milliseconds before each answer (0: no delay)\n"
    "corrupt-next    the next answer frame has a wrong length field\n"
    "truncate-next   the next answer frame is cut short\n"
    "busy            both job positions taken (until 'busy off')\n"
    "busy off        free the positions 'busy' took\n"
    "media W H       largest print width and height of the loaded media\n"
    "link-rate N     take at most N bytes a second from the host (0: no limit)\n"
    "clear-faults    end hang, error, state, delay, corrupt/truncate and busy\n"
    "firmware PART   the image the last rewrite of PART (USB, MAIN, DSP, TABLE) installed,\n"
    "                as its file: 'ok part=USB size=49152 crc32=1A2B3C4D version=01.09',\n"
    "                'ok part=USB none' before any since the printer started\n";

namespace {

constexpr unsigned long long kMaxLinkRate = 10'000'000'000ULL;

bool parse_hex_byte(const std::string& text, uint8_t& value) {
    std::string digits = text;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) digits = digits.substr(2);
    if (digits.empty() || digits.size() > 2) return false;
    char* end = nullptr;
    unsigned long v = std::strtoul(digits.c_str(), &end, 16);
    if (*end != '\0') return false;
    value = static_cast<uint8_t>(v);
    return true;
}

bool parse_number(const std::string& text, unsigned long long limit, unsigned long long& value) {
    if (text.empty() || text[0] == '-' || text[0] == '+') return false;
    char* end = nullptr;
    value = std::strtoull(text.c_str(), &end, 10);
    return *end == '\0' && value <= limit;
}

std::string info_line(VirtualPrinter& printer) {
    ModelInfo info = printer.model().info();
    char state[8];
    std::snprintf(state, sizeof state, "0x%02X", info.state_byte);
    std::ostringstream out;
    out << "ok serial=" << printer.serial() << " plugged=" << (printer.plugged() ? 1 : 0)
        << " hanging=" << (printer.model().hanging() ? 1 : 0) << " connections=" << printer.connection_count()
        << " state=" << state << " activity=" << info.activity << " jobs=" << info.jobs;
    if (printer.link_rate() != 0) out << " link-rate=" << printer.link_rate();
    if (!info.condition.empty()) out << " error=" << info.condition;
    return out.str();
}

}  // namespace

std::string run_control_command(VirtualPrinter& printer, const std::string& line) {
    std::istringstream words(line);
    std::string command;
    words >> command;
    std::vector<std::string> args;
    for (std::string word; words >> word;) args.push_back(word);
    PrinterModel& model = printer.model();

    // Commands without arguments.
    using Action = std::function<std::string()>;
    const std::vector<std::pair<const char*, Action>> plain = {
        {"unplug", [&] { printer.unplug(); return std::string("ok"); }},
        {"replug", [&] { return printer.replug() ? std::string("ok") : "error: cannot listen on " + printer.socket_path(); }},
        {"hang", [&] { model.set_hanging(true); return std::string("ok"); }},
        {"resume", [&] { model.set_hanging(false); return std::string("ok"); }},
        {"info", [&] { return info_line(printer); }},
        {"cover-open", [&] { model.set_condition(Condition::CoverOpen); return std::string("ok"); }},
        {"no-paper", [&] { model.set_condition(Condition::NoPaper); return std::string("ok"); }},
        {"no-ribbon", [&] { model.set_condition(Condition::NoRibbon); return std::string("ok"); }},
        {"clear-error", [&] { model.clear_condition(); return std::string("ok"); }},
        {"corrupt-next", [&] { model.corrupt_next_frame(); return std::string("ok"); }},
        {"truncate-next", [&] { model.truncate_next_frame(); return std::string("ok"); }},
        {"clear-faults", [&] { model.clear_faults(); return std::string("ok"); }},
    };
    for (const auto& [name, action] : plain) {
        if (command != name) continue;
        if (!args.empty()) return "error: " + command + " takes no arguments";
        return action();
    }

    if (command == "error") {
        if (args.size() == 1 && args[0] == "clear") {
            model.clear_injected_error();
            return "ok";
        }
        if (args.empty() || args.size() > 4) return "error: usage: error E [G [D [D2]]] (hex bytes) or error clear";
        std::array<uint8_t, 4> bytes{};
        for (size_t i = 0; i < args.size(); ++i)
            if (!parse_hex_byte(args[i], bytes[i])) return "error: not a hex byte: " + args[i];
        model.inject_error(bytes);
        return "ok";
    }
    if (command == "state") {
        if (args.size() != 1) return "error: usage: state X (a character or 0xNN) or state clear";
        if (args[0] == "clear") {
            model.clear_state_override();
            return "ok";
        }
        uint8_t value = 0;
        if (args[0].size() == 1)
            value = static_cast<uint8_t>(args[0][0]);
        else if (args[0].size() > 2 && args[0][0] == '0' && (args[0][1] == 'x' || args[0][1] == 'X') &&
                 parse_hex_byte(args[0], value)) {
        } else {
            return "error: state takes one character or 0xNN: " + args[0];
        }
        model.override_state(value);
        return "ok";
    }
    if (command == "delay") {
        unsigned long long ms = 0;
        if (args.size() != 1 || !parse_number(args[0], 600000, ms)) return "error: usage: delay MS (0..600000)";
        model.set_answer_delay(static_cast<uint32_t>(ms));
        return "ok";
    }
    if (command == "busy") {
        if (args.empty()) {
            model.fill_job_positions();
            return "ok";
        }
        if (args.size() == 1 && args[0] == "off") {
            model.free_held_positions();
            return "ok";
        }
        return "error: usage: busy or busy off";
    }
    if (command == "media") {
        unsigned long long width = 0, height = 0;
        if (args.size() != 2 || !parse_number(args[0], 65535, width) || !parse_number(args[1], 65535, height) ||
            !model.set_media(static_cast<uint16_t>(width), static_cast<uint16_t>(height)))
            return "error: usage: media WIDTH HEIGHT (1..65535)";
        return "ok";
    }
    if (command == "link-rate") {
        unsigned long long rate = 0;
        if (args.size() != 1 || !parse_number(args[0], kMaxLinkRate, rate))
            return "error: usage: link-rate BYTES_PER_SECOND (0 for no limit)";
        printer.set_link_rate(rate);
        return "ok";
    }
    if (command == "firmware") {
        std::optional<FirmwarePart> part;
        if (args.size() == 1) part = firmware_part_named(args[0]);
        if (!part) return "error: usage: firmware USB|MAIN|DSP|TABLE";
        const std::string name = firmware_part_name(*part);
        std::shared_ptr<const InstalledFirmware> installed = model.installed_firmware(*part);
        if (!installed) return "ok part=" + name + " none";
        char text[96];
        std::snprintf(text, sizeof text, "ok part=%s size=%zu crc32=%08X version=%02X.%02X", name.c_str(),
                      installed->image.size(), installed->crc32, installed->major, installed->minor);
        return text;
    }
    if (command.empty()) return "error: empty command";
    return "error: unknown command " + command;
}

}  // namespace tz::emulator
