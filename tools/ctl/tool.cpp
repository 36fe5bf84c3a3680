#include "tool.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <utility>

#include "common/result_meanings.h"
#include "tzpusb.h"

namespace tz::ctl {

namespace {

std::vector<std::pair<int, Registrar>>& registrations() {
    static std::vector<std::pair<int, Registrar>> list;
    return list;
}

std::string joined(const std::vector<std::string>& words) {
    std::string out;
    for (const auto& w : words) out += (out.empty() ? "" : ", ") + w;
    return out;
}

}  // namespace

bool valid_serial(const std::string& serial) {
    if (serial.size() != 8) return false;
    return std::all_of(serial.begin(), serial.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' || c == '_';
    });
}

void Tool::emit(const nlohmann::json& document, const std::string& human) const {
    if (options.json) {
        std::cout << document.dump(2) << '\n';
    } else {
        std::cout << human;
        if (!human.empty() && human.back() != '\n') std::cout << '\n';
    }
    std::cout.flush();
}

LibrarySession::LibrarySession() {
    uint16_t result = 0;
    if (!tzpusb_open(&result)) {
        tzpusb_close();
        throw Failure("cannot open the printer-control library", result);
    }
}

LibrarySession::~LibrarySession() { tzpusb_close(); }

std::vector<std::string> LibrarySession::serials() const {
    char buffer[1024] = {};
    uint16_t count = tzpusb_listupPrinterSN(buffer);
    std::vector<std::string> out;
    for (uint16_t i = 0; i < count && i < 128; ++i) out.emplace_back(buffer + 8 * i, 8);
    return out;
}

PrinterSession::PrinterSession(const GlobalOptions& options) {
    std::string wanted = options.serial;
    if (!wanted.empty() && !valid_serial(wanted))
        throw UsageError("--serial " + wanted + ": a serial is 8 letters, digits, '-' or '_'");
    std::vector<std::string> found = serials();
    if (wanted.empty()) {
        if (found.empty()) throw Failure("no printer found", TZP_NO_PRINTER);
        if (found.size() > 1)
            throw UsageError(std::to_string(found.size()) + " printers attached (" + joined(found) +
                             "); choose one with --serial");
        wanted = found.front();
    }
    uint16_t result = 0;
    char* selected = tzpusb_selectPrinterSN(wanted.c_str(), &result);
    if (selected == nullptr || result != 0) {
        std::string what = "cannot select printer " + wanted;
        if (!found.empty()) what += " (attached: " + joined(found) + ")";
        throw Failure(what, result != 0 ? unsigned{result} : unsigned{TZP_NOT_FOUND});
    }
    serial_ = wanted;
}

void PrinterSession::check(int ok, const uint16_t& code, const std::string& what) const {
    if (!ok) throw Failure(what + " failed on " + serial_, code);
}

CommandRegistration::CommandRegistration(int order, Registrar registrar) {
    registrations().emplace_back(order, registrar);
}

void register_all_commands(CLI::App& app, Tool& tool) {
    auto list = registrations();
    std::stable_sort(list.begin(), list.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& entry : list) entry.second(app, tool);
}

long long parse_number(const std::string& text, long long low, long long high, const char* what) {
    std::string digits = text;
    bool negative = false;
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
        negative = digits[0] == '-';
        digits.erase(0, 1);
    }
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits.erase(0, 2);
    }
    bool ok = !digits.empty() && digits.size() <= 16;
    unsigned long long value = 0;
    for (char c : digits) {
        int d = (c >= '0' && c <= '9') ? c - '0'
                : (base == 16 && c >= 'a' && c <= 'f') ? c - 'a' + 10
                : (base == 16 && c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                       : -1;
        if (d < 0) {
            ok = false;
            break;
        }
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(d);
        if (value > (1ULL << 40)) ok = false;
    }
    long long signed_value = negative ? -static_cast<long long>(value) : static_cast<long long>(value);
    if (!ok || signed_value < low || signed_value > high)
        throw UsageError(std::string(what) + " \"" + text + "\" is not a number from " + std::to_string(low) +
                         " to " + std::to_string(high));
    return signed_value;
}

Size parse_size(const std::string& text, int low, int high, const char* what) {
    const size_t cross = text.find_first_of("xX");
    auto bad = [&] {
        return UsageError(std::string(what) + " \"" + text + "\" is not WIDTHxHEIGHT with each side from " +
                          std::to_string(low) + " to " + std::to_string(high));
    };
    if (cross == std::string::npos || cross == 0 || cross + 1 >= text.size()) throw bad();
    const std::string w = text.substr(0, cross), h = text.substr(cross + 1);
    auto digits = [](const std::string& t) {
        return t.size() <= 6 && std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (!digits(w) || !digits(h)) throw bad();
    Size size{std::stoi(w), std::stoi(h)};
    if (size.width < low || size.width > high || size.height < low || size.height > high) throw bad();
    return size;
}

std::vector<uint8_t> parse_hex_bytes(const std::vector<std::string>& words) {
    std::vector<uint8_t> bytes;
    for (const std::string& word : words) {
        std::string digits = word;
        if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) digits.erase(0, 2);
        auto nibble = [](char c) {
            if (c >= '0' && c <= '9') return c - '0';
            if (c >= 'a' && c <= 'f') return c - 'a' + 10;
            if (c >= 'A' && c <= 'F') return c - 'A' + 10;
            return -1;
        };
        bool ok = !digits.empty() && digits.size() % 2 == 0;
        for (size_t i = 0; ok && i < digits.size(); i += 2) {
            int hi = nibble(digits[i]), lo = nibble(digits[i + 1]);
            if (hi < 0 || lo < 0) ok = false;
            else bytes.push_back(static_cast<uint8_t>(hi * 16 + lo));
        }
        if (!ok) throw UsageError("\"" + word + "\" is not hex bytes (pairs of hex digits, e.g. 1b00 or 0x1B)");
    }
    return bytes;
}

std::string hex_string(const uint8_t* data, size_t size) {
    std::string out;
    char cell[4];
    for (size_t i = 0; i < size; ++i) {
        std::snprintf(cell, sizeof cell, "%02x", data[i]);
        if (i) out += ' ';
        out += cell;
    }
    return out;
}

std::string hex_dump(const uint8_t* data, size_t size) {
    std::string out;
    char cell[32];
    for (size_t line = 0; line < size; line += 16) {
        std::snprintf(cell, sizeof cell, "  %04zx  ", line);
        out += cell;
        std::string text;
        for (size_t i = line; i < line + 16; ++i) {
            if (i < size) {
                std::snprintf(cell, sizeof cell, "%02x ", data[i]);
                out += cell;
                text += (data[i] >= 0x20 && data[i] < 0x7F) ? static_cast<char>(data[i]) : '.';
            } else {
                out += "   ";
            }
        }
        out += " " + text + "\n";
    }
    return out;
}

std::string fixed_text(const uint8_t* data, size_t size) {
    std::string out;
    for (size_t i = 0; i < size; ++i)
        out += (data[i] >= 0x20 && data[i] < 0x7F) ? static_cast<char>(data[i]) : (data[i] == 0 ? ' ' : '.');
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

}  // namespace tz::ctl
