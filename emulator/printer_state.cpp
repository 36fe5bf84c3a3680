#include "emulator/printer_state.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <system_error>

namespace tz::emulator {

using nlohmann::json;

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
    if (auto it = document.find("serial"); it != document.end()) {
        if (!it->is_string()) {
            if (error) *error = path + ": serial must be a string";
            return false;
        }
        state.serial = it->get<std::string>();
    }
    return true;
}

bool save_state(const std::string& path, const PrinterState& state) {
    if (path.empty()) return true;
    json document = {{"serial", state.serial}};
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
