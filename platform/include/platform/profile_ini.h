// Settings from an INI file, read the way a private-profile reader reads
// them: sections and keys in any case, a default for what is missing, and
// integers as an optional sign followed by decimal digits. Lines may be of
// any length (inih as Debian builds it cuts lines at 200 bytes, shorter than
// the 259-character paths these files name). On Windows the system's own
// reader (GetPrivateProfileString, GetPrivateProfileInt) reads the file at
// each call; give it a path with a folder (current_folder_file()).
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace tz::platform {

class ProfileIni {
public:
    // Reads `path`; a file that is missing or cannot be read gives no keys,
    // so that every read gives its default.
    static ProfileIni read(const std::string& path);

    // The value of the key, at most `max_chars` characters; `fallback` when
    // the key (or its section) is missing.
    std::string text(const std::string& section, const std::string& key, const std::string& fallback,
                     size_t max_chars = 259) const;
    // The value as an integer (see parse_profile_integer); `fallback` when
    // the key is missing or its value is empty.
    int32_t integer(const std::string& section, const std::string& key, int32_t fallback) const;

    bool has(const std::string& section, const std::string& key) const;

private:
    std::map<std::string, std::string> values_;  // "section\nkey", both lower case
    std::string path_;  // the file, for the Windows reader
};

// An optional sign, then the leading decimal digits, wrapping at 32 bits;
// 0 when no digit follows. "12abc" is 12, "-7" is -7, "abc" and "+" are 0.
int32_t parse_profile_integer(const std::string& text);

}  // namespace tz::platform
