#include "platform/system_names.h"

namespace tz::platform {

std::string shared_library_file(std::string_view name) { return std::string(name) + ".dll"; }

std::string program_file(std::string_view name) { return std::string(name) + ".exe"; }

std::string script_file(std::string_view name) { return std::string(name) + ".bat"; }

std::string current_folder_file(std::string_view name) { return ".\\" + std::string(name); }

}  // namespace tz::platform
