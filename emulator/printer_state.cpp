#include "emulator/printer_state.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <system_error>

#include "parameters.h"

namespace tz::emulator {

using nlohmann::json;

namespace {

// The firmware a printer leaves the factory with; entry 1 is the MAIN board's boot firmware.
const std::array<FirmwareEntry, kFirmwareEntryCount>& factory_firmware() {
    static const std::array<FirmwareEntry, kFirmwareEntryCount> entries = {{
        {"E0229800", "MAIN BOOT", "2018/11/20", 0x01, 0x02, 0x3A41},
        {"E0230101", "MAIN", "2020/06/15", 0x05, 0x10, 0x91C2},
        {"E0230201", "MAIN FPGA", "2020/06/15", 0x01, 0x00, 0x5E07},
        {"E0230301", "DSP", "2020/05/28", 0x02, 0x03, 0x17BD},
        {"E0230401", "DSP BOOT", "2018/11/20", 0x01, 0x00, 0xC044},
        {"E0230501", "USB", "2019/09/02", 0x01, 0x04, 0x6F10},
        {"E0230601", "TABLE", "2020/06/15", 0x03, 0x01, 0x2B9E},
    }};
    return entries;
}

struct StateError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string to_hex(const std::vector<uint8_t>& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (uint8_t b : bytes) {
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::vector<uint8_t> from_hex(const std::string& text, size_t size, const std::string& what) {
    if (text.size() != size * 2) throw StateError(what + " must be " + std::to_string(size * 2) + " hex digits");
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) {
        int hi = hex_digit(text[2 * i]), lo = hex_digit(text[2 * i + 1]);
        if (hi < 0 || lo < 0) throw StateError(what + " holds a character that is not a hex digit");
        bytes[i] = static_cast<uint8_t>(hi * 16 + lo);
    }
    return bytes;
}

std::string version_text(uint8_t major, uint8_t minor) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X.%02X", major, minor);
    return text;
}

const json& member(const json& object, const char* key, json::value_t type, const std::string& where) {
    const json& value = object.at(key);
    bool ok = value.type() == type ||
              (type == json::value_t::number_integer && value.type() == json::value_t::number_unsigned);
    if (!ok) throw StateError(where + "." + key + " has the wrong type");
    return value;
}

int64_t integer_in(const json& value, int64_t minimum, int64_t maximum, const std::string& what) {
    if (!value.is_number_integer()) throw StateError(what + " must be an integer");
    int64_t v = value.is_number_unsigned() && value.get<uint64_t>() > static_cast<uint64_t>(INT64_MAX)
                    ? INT64_MAX
                    : value.get<int64_t>();
    if (v < minimum || v > maximum)
        throw StateError(what + " must be within " + std::to_string(minimum) + ".." + std::to_string(maximum));
    return v;
}

std::string text_up_to(const json& value, size_t limit, const std::string& what) {
    if (!value.is_string()) throw StateError(what + " must be a string");
    std::string text = value.get<std::string>();
    if (text.size() > limit) throw StateError(what + " is longer than " + std::to_string(limit) + " characters");
    return text;
}

void read_firmware(const json& list, PrinterState& state) {
    if (!list.is_array() || list.size() != kFirmwareEntryCount) throw StateError("firmware must list 7 entries");
    for (size_t i = 0; i < kFirmwareEntryCount; ++i) {
        const json& item = list[i];
        std::string where = "firmware[" + std::to_string(i) + "]";
        if (!item.is_object()) throw StateError(where + " must be an object");
        FirmwareEntry entry = state.firmware[i];
        if (item.contains("name")) entry.name = text_up_to(item["name"], 8, where + ".name");
        if (item.contains("type")) entry.type = text_up_to(item["type"], 16, where + ".type");
        if (item.contains("date")) entry.date = text_up_to(item["date"], 10, where + ".date");
        if (item.contains("version")) {
            std::string v = text_up_to(item["version"], 5, where + ".version");
            if (v.size() != 5 || v[2] != '.' || hex_digit(v[0]) < 0 || hex_digit(v[1]) < 0 || hex_digit(v[3]) < 0 ||
                hex_digit(v[4]) < 0)
                throw StateError(where + ".version must look like 05.10 (hex)");
            entry.major = static_cast<uint8_t>(hex_digit(v[0]) * 16 + hex_digit(v[1]));
            entry.minor = static_cast<uint8_t>(hex_digit(v[3]) * 16 + hex_digit(v[4]));
        }
        if (item.contains("value"))
            entry.value = static_cast<uint16_t>(integer_in(item["value"], 0, 0xFFFF, where + ".value"));
        state.firmware[i] = entry;
    }
}

void read_parameters(const json& object, PrinterState& state) {
    if (!object.is_object()) throw StateError("parameters must be an object");
    for (const auto& [key, value] : object.items()) {
        size_t used = 0;
        unsigned long number = 0;
        try {
            number = std::stoul(key, &used, 0);
        } catch (const std::exception&) {
            used = 0;
        }
        if (used != key.size() || number > 0xFF) throw StateError("parameters: \"" + key + "\" is not a parameter number");
        auto rule = find_parameter(static_cast<uint8_t>(number));
        if (!rule) throw StateError("parameters: the printer has no parameter " + key);
        state.parameters[rule->number] =
            static_cast<int32_t>(integer_in(value, rule->minimum, rule->maximum, "parameter " + key));
    }
}

void read_tone_curves(const json& object, PrinterState& state) {
    if (!object.is_object()) throw StateError("tone_curves must be an object");
    for (const auto& [key, value] : object.items()) {
        if (key.size() != 3 || key[1] != '/' || key[0] < '1' || key[0] > '2' || key[2] < '1' || key[2] > '4')
            throw StateError("tone_curves: \"" + key + "\" is not TYPE/KIND (1..2/1..4)");
        if (!value.is_string()) throw StateError("tone_curves." + key + " must be a hex string");
        state.tone_curves[{key[0] - '0', key[2] - '0'}] =
            from_hex(value.get<std::string>(), kToneCurveBytes, "tone_curves." + key);
    }
}

void read_error_log(const json& list, PrinterState& state) {
    if (!list.is_array() || list.size() > kErrorLogCapacity) throw StateError("error_log must list at most 10 entries");
    state.error_log.clear();
    for (const json& item : list) {
        if (!item.is_object()) throw StateError("error_log entries must be objects");
        ErrorLogEntry entry;
        entry.group = static_cast<uint8_t>(integer_in(item.value("group", json(0)), 0, 255, "error_log.group"));
        entry.detail = static_cast<uint8_t>(integer_in(item.value("detail", json(0)), 0, 255, "error_log.detail"));
        entry.detail2 = static_cast<uint8_t>(integer_in(item.value("detail2", json(0)), 0, 255, "error_log.detail2"));
        entry.prints = static_cast<uint32_t>(integer_in(item.value("prints", json(0)), 0, 0xFFFFFF, "error_log.prints"));
        state.error_log.push_back(entry);
    }
}

void read_document(const json& document, PrinterState& state) {
    if (document.contains("serial")) {
        if (!document["serial"].is_string()) throw StateError("serial must be a string");
        state.serial = document["serial"].get<std::string>();
    }
    if (document.contains("prints"))
        state.prints = static_cast<uint32_t>(integer_in(document["prints"], 0, 0xFFFFFFFF, "prints"));
    if (document.contains("firmware")) read_firmware(document["firmware"], state);
    if (document.contains("parameters")) read_parameters(document["parameters"], state);
    if (document.contains("tone_curves")) read_tone_curves(document["tone_curves"], state);
    if (document.contains("laminate")) {
        const json& laminate = document["laminate"];
        if (!laminate.is_object()) throw StateError("laminate must be an object");
        state.laminate.custom = member(laminate, "custom", json::value_t::boolean, "laminate").get<bool>();
        state.laminate.size = static_cast<uint32_t>(integer_in(laminate.at("size"), 0, 0xFFFFFFFF, "laminate.size"));
        state.laminate.crc32 = static_cast<uint32_t>(integer_in(laminate.at("crc32"), 0, 0xFFFFFFFF, "laminate.crc32"));
    }
    if (document.contains("error_log")) read_error_log(document["error_log"], state);
    if (document.contains("eeprom")) {
        if (!document["eeprom"].is_string()) throw StateError("eeprom must be a hex string");
        state.eeprom = from_hex(document["eeprom"].get<std::string>(), kEepromSize, "eeprom");
    }
}

}  // namespace

PrinterState::PrinterState() : firmware(factory_firmware()), eeprom(kEepromSize, 0) {
    for (const ParameterRule& rule : parameter_table()) parameters[rule.number] = rule.factory;
}

std::vector<uint8_t> factory_tone_curve() {
    // Three channels of 256 values each, a straight line over the 16-bit range,
    // most significant byte first.
    std::vector<uint8_t> curve(kToneCurveBytes);
    for (size_t i = 0; i < kToneCurveBytes / 2; ++i) {
        uint16_t value = static_cast<uint16_t>((i % 256) * 257);
        curve[2 * i] = static_cast<uint8_t>(value >> 8);
        curve[2 * i + 1] = static_cast<uint8_t>(value);
    }
    return curve;
}

bool load_state(const std::string& path, PrinterState& state, std::string* error) {
    std::error_code ec;
    if (path.empty() || !std::filesystem::exists(path, ec)) return true;
    std::ifstream in(path);
    if (!in) {
        if (error) *error = "cannot read " + path;
        return false;
    }
    json document = json::parse(in, nullptr, false);
    if (document.is_discarded() || !document.is_object()) {
        if (error) *error = path + " is not a JSON object";
        return false;
    }
    PrinterState loaded = state;
    try {
        read_document(document, loaded);
    } catch (const std::exception& e) {
        if (error) *error = path + ": " + e.what();
        return false;
    }
    state = std::move(loaded);
    return true;
}

bool save_state(const std::string& path, const PrinterState& state) {
    if (path.empty()) return true;
    using ordered = nlohmann::ordered_json;
    ordered firmware = ordered::array();
    for (const FirmwareEntry& entry : state.firmware)
        firmware.push_back({{"name", entry.name},
                            {"type", entry.type},
                            {"date", entry.date},
                            {"version", version_text(entry.major, entry.minor)},
                            {"value", entry.value}});
    ordered parameters = ordered::object();
    for (const auto& [number, value] : state.parameters) {
        char key[8];
        std::snprintf(key, sizeof key, "0x%02X", number);
        parameters[key] = value;
    }
    ordered curves = ordered::object();
    for (const auto& [key, bytes] : state.tone_curves)
        curves[std::to_string(key.first) + "/" + std::to_string(key.second)] = to_hex(bytes);
    ordered log = ordered::array();
    for (const ErrorLogEntry& entry : state.error_log)
        log.push_back({{"group", entry.group}, {"detail", entry.detail}, {"detail2", entry.detail2}, {"prints", entry.prints}});
    ordered document = {
        {"serial", state.serial},
        {"prints", state.prints},
        {"firmware", firmware},
        {"parameters", parameters},
        {"tone_curves", curves},
        {"laminate", {{"custom", state.laminate.custom}, {"size", state.laminate.size}, {"crc32", state.laminate.crc32}}},
        {"error_log", log},
        {"eeprom", to_hex(state.eeprom)},
    };
    std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::trunc);
        if (!out) return false;
        out << document.dump(2) << '\n';
        if (!out.flush()) return false;
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    return !ec;
}

}  // namespace tz::emulator
