// Maintenance: parameters, self-diagnosis, the error log, the Universal
// Command, and the EEPROM with its maintenance permission.
#include <algorithm>
#include <cstring>

#include "byteorder/little_endian.h"
#include "engine.h"
#include "firmware_image.h"
#include "parameters.h"

namespace tz::emulator {
namespace {

constexpr uint8_t kDiagnosisModes = 40;
constexpr size_t kUniversalLimit = 250;
constexpr size_t kEepromChunk = 128;

Answer get_parameter(Engine& e, Session&, const Command& c) {
    auto rule = find_parameter(c.payload[0]);
    if (!rule) return Engine::refuse();
    Bytes payload;
    append_le32(payload, static_cast<uint32_t>(e.state.parameters[rule->number]));
    return {e.reply(payload), {}};
}

// 0 parameter number, 1..4 value (LE32, signed).
Answer set_parameter(Engine& e, Session&, const Command& c) {
    auto rule = find_parameter(c.payload[0]);
    const int32_t value = static_cast<int32_t>(read_le32(c.payload + 1));
    if (!rule || value < rule->minimum || value > rule->maximum) return Engine::refuse();
    e.state.parameters[rule->number] = value;
    e.persist();
    return {e.ack(), {}};
}

// 0 mode (1 = every diagnosis, 2..40 one of them), 1..2 its arguments.
// The answer repeats them and adds 0 (accepted); the printer then runs it.
Answer self_diagnosis(Engine& e, Session&, const Command& c) {
    const uint8_t mode = c.payload[0];
    if (mode < 1 || mode > kDiagnosisModes) return Engine::refuse();
    Bytes frame = e.reply({mode, c.payload[1], c.payload[2], 0x00});
    e.machine.start_diagnosis(mode, e.now());
    return {frame, {}};
}

// 0 the number of result bytes (40), then one per mode: 0 not run, 1 passed.
Answer batch_diagnosis_results(Engine& e, Session&, const Command&) {
    if (e.machine.activity() == Activity::Diagnosing) return {error_frame(kStateDiagnosis), {}};
    Bytes payload(1 + e.settings.diagnosis_results.size());
    payload[0] = kDiagnosisModes;
    std::copy(e.settings.diagnosis_results.begin(), e.settings.diagnosis_results.end(), payload.begin() + 1);
    return {e.reply(payload), {}};
}

// 0 the number of entries, then ten entries of 6 bytes, newest first:
// group, detail, second detail, print counter (LE24).
Answer get_error_log(Engine& e, Session&, const Command&) {
    Bytes payload(1 + kErrorLogCapacity * 6, 0);
    const size_t count = std::min(e.state.error_log.size(), kErrorLogCapacity);
    payload[0] = static_cast<uint8_t>(count);
    for (size_t i = 0; i < count; ++i) {
        const ErrorLogEntry& entry = e.state.error_log[i];
        uint8_t* out = payload.data() + 1 + 6 * i;
        out[0] = entry.group;
        out[1] = entry.detail;
        out[2] = entry.detail2;
        out[3] = static_cast<uint8_t>(entry.prints);
        out[4] = static_cast<uint8_t>(entry.prints >> 8);
        out[5] = static_cast<uint8_t>(entry.prints >> 16);
    }
    return {e.reply(payload), {}};
}

Answer reset_error_log(Engine& e, Session&, const Command&) {
    e.state.error_log.clear();
    e.persist();
    return {e.ack(), {}};
}

// The first byte chooses: 0x00 loop-back (the whole payload comes back),
// 0x01 the model identifier, 0x02 the counters (prints LE32, media left LE16).
Answer universal(Engine& e, Session&, const Command& c) {
    if (c.length == 0 || c.length > kUniversalLimit) return Engine::refuse();
    switch (c.payload[0]) {
    case 0x00: return {e.reply(Bytes(c.payload, c.payload + c.length)), {}};
    case 0x01:
        if (c.length != 1) return Engine::refuse();
        return {e.reply(Bytes(kModelIdentifier, kModelIdentifier + kModelIdentifierSize)), {}};
    case 0x02: {
        if (c.length != 1) return Engine::refuse();
        Bytes payload;
        append_le32(payload, e.state.prints);
        append_le16(payload, e.settings.media_left);
        return {e.reply(payload), {}};
    }
    default: return Engine::refuse();
    }
}

// 0: withdraw, 1: allow writes to the EEPROM until the next restart.
Answer maintenance_permission(Engine& e, Session&, const Command& c) {
    if (c.payload[0] > 1) return Engine::refuse();
    e.settings.maintenance_permitted = c.payload[0] == 1;
    return {e.ack(), {}};
}

// 0..1 address (LE16), 2 byte count (1..128).
Answer get_eeprom(Engine& e, Session&, const Command& c) {
    const size_t address = read_le16(c.payload), count = c.payload[2];
    if (count == 0 || count > kEepromChunk || address + count > kEepromSize) return Engine::refuse();
    return {e.reply(Bytes(e.state.eeprom.begin() + address, e.state.eeprom.begin() + address + count)), {}};
}

// 0..1 address (LE16), then 1..128 bytes to write; needs the maintenance permission.
Answer set_eeprom(Engine& e, Session&, const Command& c) {
    if (c.length < 3 || c.length > 2 + kEepromChunk || !e.settings.maintenance_permitted) return Engine::refuse();
    const size_t address = read_le16(c.payload), count = c.length - 2;
    if (address + count > kEepromSize) return Engine::refuse();
    std::copy(c.payload + 2, c.payload + c.length, e.state.eeprom.begin() + address);
    e.persist();
    return {e.ack(), {}};
}

}  // namespace

void add_maintenance_commands(std::vector<CommandEntry>& table) {
    table.push_back({0x05, 0x00, "Get Parameter Command", 1, Needs::Nothing, get_parameter});
    table.push_back({0x07, 0x40, "Set Parameter Command", 5, Needs::Ready, set_parameter});
    table.push_back({0x01, 0xC0, "Self-diagnosis execution Command", 3, Needs::ReadyAndEmpty, self_diagnosis});
    table.push_back({0x02, 0xC0, "Batch Self-diagnosis Result acquisition Command", 0, Needs::Nothing,
                     batch_diagnosis_results});
    table.push_back({0x04, 0x00, "Get Error Log Command", 0, Needs::Nothing, get_error_log});
    table.push_back({0x08, 0xC0, "Reset Error Log Command", 0, Needs::Nothing, reset_error_log});
    table.push_back({0xFF, 0xC0, "Universal Command", kAnyLength, Needs::Nothing, universal});
    table.push_back({0x02, 0x80, "Maintenance Permission Command", 1, Needs::Nothing, maintenance_permission});
    table.push_back({0x05, 0xC0, "Get EEPROM Maintenance Command", 3, Needs::Nothing, get_eeprom});
    table.push_back({0x06, 0xC0, "Set EEPROM Maintenance Command", kAnyLength, Needs::Ready, set_eeprom});
}

}  // namespace tz::emulator
