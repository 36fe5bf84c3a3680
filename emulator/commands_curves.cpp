// Tone curves: reading one back in data packets, and storing one that
// arrived after an Update Command.
#include "byteorder/little_endian.h"
#include "engine.h"

namespace tz::emulator {
namespace {

// Data bytes per packet after the answer; each packet is
// [packet number from 1, data byte count, data bytes].
constexpr size_t kCurvePacketData = 192;

// 0 curve type (1..2), 1 curve kind (1..4).
Answer read_tone_curve(Engine& e, Session&, const Command& c) {
    const int type = c.payload[0], kind = c.payload[1];
    if (type < 1 || type > 2 || kind < 1 || kind > 4) return Engine::refuse();
    auto stored = e.state.tone_curves.find({type, kind});
    const Bytes curve = stored != e.state.tone_curves.end() ? stored->second : factory_tone_curve();
    Answer answer;
    Bytes size;
    append_le16(size, static_cast<uint16_t>(curve.size()));
    answer.frame = e.reply(size);
    uint8_t number = 1;
    for (size_t at = 0; at < curve.size(); at += kCurvePacketData, ++number) {
        const size_t n = std::min(kCurvePacketData, curve.size() - at);
        Bytes packet = {number, static_cast<uint8_t>(n)};
        packet.insert(packet.end(), curve.begin() + static_cast<long>(at), curve.begin() + static_cast<long>(at + n));
        answer.packets.push_back(std::move(packet));
    }
    return answer;
}

}  // namespace

void finish_tone_curve_data(Engine& e, DataPhase& data) {
    if (data.bytes == factory_tone_curve())
        e.state.tone_curves.erase({data.curve_type, data.curve_kind});
    else
        e.state.tone_curves[{data.curve_type, data.curve_kind}] = data.bytes;
    e.persist();
}

void add_curve_commands(std::vector<CommandEntry>& table) {
    table.push_back({0x05, 0x40, "Read Tone Curve Command", 2, Needs::Nothing, read_tone_curve});
}

}  // namespace tz::emulator
