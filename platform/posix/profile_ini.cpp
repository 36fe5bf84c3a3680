#include "platform/profile_ini.h"

#include <algorithm>
#include <cctype>
#include <fstream>

namespace tz::platform {
namespace {

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::string trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::string key_of(const std::string& section, const std::string& key) { return lower(section) + "\n" + lower(key); }

}  // namespace

// Lines of any length: "[section]", "key=value" (both sides trimmed), and
// comment lines starting with ';' or '#'. A ';' later in a line is part of
// the value, as paths may hold one.
ProfileIni ProfileIni::read(const std::string& path) {
    ProfileIni ini;
    std::ifstream in(path, std::ios::binary);
    std::string line, section;
    while (std::getline(in, line)) {
        line = trimmed(line);
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line[0] == '[') {
            const size_t close = line.find(']');
            if (close != std::string::npos) section = trimmed(line.substr(1, close - 1));
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        // The first of repeated keys counts, as a private-profile reader finds it first.
        ini.values_.emplace(key_of(section, trimmed(line.substr(0, equals))), trimmed(line.substr(equals + 1)));
    }
    return ini;
}

std::string ProfileIni::text(const std::string& section, const std::string& key, const std::string& fallback,
                             size_t max_chars) const {
    auto found = values_.find(key_of(section, key));
    std::string value = found == values_.end() ? fallback : found->second;
    // Quotes around a value are not part of it.
    if (found != values_.end() && value.size() >= 2 && value.front() == value.back() &&
        (value.front() == '"' || value.front() == '\''))
        value = value.substr(1, value.size() - 2);
    if (value.size() > max_chars) value.resize(max_chars);
    return value;
}

int32_t ProfileIni::integer(const std::string& section, const std::string& key, int32_t fallback) const {
    auto found = values_.find(key_of(section, key));
    if (found == values_.end() || found->second.empty()) return fallback;
    return parse_profile_integer(found->second);
}

bool ProfileIni::has(const std::string& section, const std::string& key) const {
    return values_.count(key_of(section, key)) != 0;
}

}  // namespace tz::platform
