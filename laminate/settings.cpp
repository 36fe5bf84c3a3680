#include "settings.h"

#include <filesystem>
#include <system_error>

#include "platform/profile_ini.h"

namespace tz::laminate {
namespace {

std::string current_folder() {
    std::error_code error;
    std::filesystem::path folder = std::filesystem::current_path(error);
    return error ? std::string(".") : folder.string();
}

}  // namespace

std::string ini_path(const std::string& name) { return current_folder() + "/" + name; }

std::string library_path() { return current_folder() + "/libTZ5170upgrade.so"; }

LaminateSettings read_settings(const std::string& path) {
    const platform::ProfileIni ini = platform::ProfileIni::read(path);
    LaminateSettings settings;
    settings.target = static_cast<uint8_t>(ini.integer("LAMINATE", "TARGET", kNoTarget) & 0xFF);
    settings.pattern = ini.text("LAMINATE", "PATTERN", "", kPatternPathLimit);
    return settings;
}

}  // namespace tz::laminate
