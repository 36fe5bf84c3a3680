// What the program's INI file says: the pattern file and the update target.
#pragma once

#include <cstdint>
#include <string>

namespace tz::laminate {

// The update target when the INI file names none (also TARGET=409: only the
// low 8 bits count).
inline constexpr uint8_t kNoTarget = 153;
inline constexpr size_t kPatternPathLimit = 259;

struct LaminateSettings {
    uint8_t target = kNoTarget;
    std::string pattern;  // at most kPatternPathLimit characters; empty when not given
};

// The INI file `name` in the current folder: the folder, "/" and the name
// joined as they are.
std::string ini_path(const std::string& name);

// [LAMINATE] PATTERN and TARGET; a file that is missing gives the defaults.
LaminateSettings read_settings(const std::string& path);

// The library the program binds: libTZ5170upgrade.so in the current folder.
std::string library_path();

}  // namespace tz::laminate
