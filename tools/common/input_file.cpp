#include "input_file.h"

#include <filesystem>

namespace tz::tools {

std::string input_file_problem(const std::string& path, bool pipe_allowed) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_type type = fs::status(path, ec).type();  // through symbolic links
    std::string kind;
    switch (type) {
    case fs::file_type::regular:
    case fs::file_type::not_found:
    case fs::file_type::none: return {};
    case fs::file_type::fifo:
        if (pipe_allowed) return {};
        kind = "a pipe";
        break;
    case fs::file_type::directory: kind = "a folder"; break;
    case fs::file_type::character: kind = "a character device"; break;
    case fs::file_type::block: kind = "a block device"; break;
    case fs::file_type::socket: kind = "a socket"; break;
    default: kind = "an unknown kind of file"; break;
    }
    return kind + (pipe_allowed ? ", not a regular file or a pipe" : ", not a regular file");
}

}  // namespace tz::tools
