#include "settings.h"

#include "platform/profile_ini.h"
#include "platform/system_names.h"

namespace tz::laminate {

std::string ini_path(const std::string& name) { return platform::current_folder_file(name); }

std::string library_path() {
    return platform::current_folder_file(platform::shared_library_file("TZ5170upgrade"));
}

LaminateSettings read_settings(const std::string& path) {
    const platform::ProfileIni ini = platform::ProfileIni::read(path);
    LaminateSettings settings;
    settings.target = static_cast<uint8_t>(ini.integer("LAMINATE", "TARGET", kNoTarget) & 0xFF);
    settings.pattern = ini.text("LAMINATE", "PATTERN", "", kPatternPathLimit);
    return settings;
}

}  // namespace tz::laminate
