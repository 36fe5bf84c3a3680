// A second program that a test runs beside itself, its standard input and
// output being pipes to the caller: the caller reads its lines, ends its
// input, waits for its end or kills it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tz::platform {

class HelperProcess {
public:
    // Starts `program` (a path) with `arguments`; started() tells whether it ran.
    HelperProcess(const std::string& program, const std::vector<std::string>& arguments);
    // Ends its input and, should it still run after 5 s, kills it.
    ~HelperProcess();
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;

    bool started() const { return process_ != -1; }
    // The next line of its output without the line end; what came when the
    // output ended first.
    std::string read_line();
    void close_input();
    // Its exit status once it ended within `timeout_ms`; -1 when it did not
    // (it is killed then) or was killed.
    int wait_exit(uint32_t timeout_ms);
    // Ends it at once, as a crash would: it releases nothing itself.
    void kill();

private:
    intptr_t process_ = -1;  // process id, or the process handle on Windows
    intptr_t input_ = -1;    // our end of its standard input
    intptr_t output_ = -1;   // our end of its standard output
};

// The folder of the running program.
std::string program_folder();

}  // namespace tz::platform
