// raw, universal: caller-built bytes to the printer, its answer shown.
#include <algorithm>
#include <cstdio>
#include <memory>

#include "byteorder/little_endian.h"
#include "tool.h"
#include "tzpusb.h"

namespace tz::ctl {

namespace {

constexpr size_t kFrameHeader = 10;

// The answer frame taken apart: kind, state, payload length, payload.
nlohmann::json decode_frame(const uint8_t* frame, size_t size, std::string& human) {
    nlohmann::json document{{"bytes", size}, {"frame", hex_string(frame, size)}};
    if (size < kFrameHeader) {
        document["valid"] = false;
        human += "answer (" + std::to_string(size) + " bytes, shorter than a frame header): " +
                 hex_string(frame, size) + "\n";
        return document;
    }
    unsigned kind = frame[0], state = frame[7];
    unsigned length = tz::read_le16(frame + 8);
    size_t payload = std::min<size_t>(length, size - kFrameHeader);
    const char* kind_text = kind == 1 ? "normal" : kind == 2 ? "error" : "unknown";
    document["valid"] = size == kFrameHeader + length;
    document["kind"] = kind;
    document["kind_text"] = kind_text;
    document["state"] = state;
    document["length"] = length;
    document["error"] = {{"byte", frame[1]}, {"group", frame[2]}, {"detail", frame[3]}, {"detail2", frame[4]}};
    document["payload"] = hex_string(frame + kFrameHeader, payload);
    char line[160];
    std::snprintf(line, sizeof line, "answer: %zu bytes, kind %u (%s), state 0x%02x", size, kind, kind_text, state);
    human += line;
    if (state >= 0x20 && state < 0x7F) human += std::string(" '") + static_cast<char>(state) + "'";
    human += ", payload length " + std::to_string(length);
    if (size != kFrameHeader + length) human += " (frame has " + std::to_string(size - kFrameHeader) + ")";
    human += "\n";
    if (kind == 2) {
        std::snprintf(line, sizeof line, "error: byte 0x%02x, group %u, detail %u, second detail %u\n", frame[1],
                      frame[2], frame[3], frame[4]);
        human += line;
    }
    human += "header: " + hex_string(frame, kFrameHeader) + "\n";
    if (payload) human += "payload:\n" + hex_dump(frame + kFrameHeader, payload);
    return document;
}

void run_raw(const Tool& tool, const std::vector<std::string>& words) {
    std::vector<uint8_t> command = parse_hex_bytes(words);
    PrinterSession session(tool.options);
    uint8_t answer[512] = {};
    uint32_t answer_length = 0;
    uint16_t result = 0;
    session.check(tzpusb_SendCommand(command.data(), static_cast<uint32_t>(command.size()), answer, &answer_length,
                                     &result),
                  result, "raw command");
    if (answer_length > sizeof answer) answer_length = sizeof answer;
    std::string human = session.serial() + ": sent " + std::to_string(command.size()) + " bytes\n";
    nlohmann::json document{{"serial", session.serial()}, {"sent", hex_string(command.data(), command.size())}};
    document["answer"] = decode_frame(answer, answer_length, human);
    tool.emit(document, human);
}

void run_universal(const Tool& tool, const std::vector<std::string>& words) {
    std::vector<uint8_t> payload = parse_hex_bytes(words);
    if (payload.size() > 250) throw UsageError("a universal command carries at most 250 bytes");
    PrinterSession session(tool.options);
    uint8_t answer[256] = {};
    uint8_t answer_length = 0;
    uint16_t result = 0;
    session.check(tzpusb_universal_command(payload.data(), static_cast<int>(payload.size()), answer, &answer_length,
                                           &result),
                  result, "universal command");
    tool.emit({{"serial", session.serial()},
               {"sent", hex_string(payload.data(), payload.size())},
               {"length", answer_length},
               {"payload", hex_string(answer, answer_length)}},
              session.serial() + ": answer payload (" + std::to_string(answer_length) + " bytes):\n" +
                  hex_dump(answer, answer_length));
}

void register_raw(CLI::App& app, Tool& tool) {
    auto raw_words = std::make_shared<std::vector<std::string>>();
    CLI::App* raw = app.add_subcommand("raw", "send a whole command packet; show the answer frame decoded");
    raw->add_option("HEX", *raw_words, "the command bytes in hex (e.g. 01 00 00 00 or 01000000)")->required();
    raw->callback([&tool, raw_words] { tool.action = [&tool, raw_words] { run_raw(tool, *raw_words); }; });

    auto universal_words = std::make_shared<std::vector<std::string>>();
    CLI::App* universal = app.add_subcommand("universal", "send bytes in a Universal Command; show the answer payload");
    universal->add_option("HEX", *universal_words, "the payload bytes in hex (at most 250)")->required();
    universal->callback([&tool, universal_words] {
        tool.action = [&tool, universal_words] { run_universal(tool, *universal_words); };
    });
}

const CommandRegistration raw_registration(70, register_raw);

}  // namespace

}  // namespace tz::ctl
