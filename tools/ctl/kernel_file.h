// Kernel files for --sharpen: nine whole numbers (hundredths) separated by
// blanks, commas or line ends, with comment lines starting with '#', and
// nothing else. Checked before any printer is asked, so that a note or any
// other file that happens to hold nine numbers is not printed with.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tz::ctl {

using Kernel = std::array<int32_t, 9>;

// The kernel in `path`, each coefficient within [-limit, limit]. Throws
// UsageError naming the file and what is wrong with it.
Kernel read_kernel_file(const std::string& path, int32_t limit);

}  // namespace tz::ctl
