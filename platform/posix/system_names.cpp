#include "platform/system_names.h"

#include <filesystem>
#include <system_error>

namespace tz::platform {

std::string shared_library_file(std::string_view name) { return "lib" + std::string(name) + ".so"; }

std::string program_file(std::string_view name) { return std::string(name); }

std::string script_file(std::string_view name) { return std::string(name) + ".sh"; }

std::string current_folder_file(std::string_view name) {
    std::error_code error;
    std::filesystem::path folder = std::filesystem::current_path(error);
    return (error ? std::string(".") : folder.string()) + "/" + std::string(name);
}

}  // namespace tz::platform
