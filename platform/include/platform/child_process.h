// Running another program to its end and measuring it: how long it took and
// how much memory it held at most.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tz::platform {

struct ChildRun {
    bool started = false;
    int exit_status = -1;     // -1 when it did not end normally
    double seconds = 0;       // wall time from start to end
    uint64_t peak_rss_kib = 0;
};

// Runs `argv[0]` (looked up in PATH) with the rest as its arguments; its
// standard output goes to `output_path` when given. Waits at most
// `limit_seconds`, then kills it.
ChildRun run_child(const std::vector<std::string>& argv, const std::string& output_path, double limit_seconds);

}  // namespace tz::platform
