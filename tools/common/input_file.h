// The files the tools read. A path that names a device, a socket or a folder
// is refused before it is opened: /dev/zero never ends, a pipe without a
// writer blocks the open, and neither can be read twice. Pipes are taken only
// where a command says so, and read up to a limit.
#pragma once

#include <cstdint>
#include <string>

namespace tz::tools {

// The most a command reads from a pipe.
inline constexpr uint64_t kLargestPipeInput = uint64_t{64} << 20;

// Why `path` is not read as a file, for a message: "a character device, not a
// regular file". Empty for a regular file, for a pipe when `pipe_allowed`,
// and for a path that does not exist (the caller's own read reports that).
std::string input_file_problem(const std::string& path, bool pipe_allowed = false);

}  // namespace tz::tools
