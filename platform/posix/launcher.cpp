#include "platform/launcher.h"

#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <thread>

extern char** environ;

namespace tz::platform {

bool start_script(const std::string& script) {
    // A first shell starts the script in the background and ends at once,
    // so that the script is nobody's child to wait for.
    std::string shell = "/bin/sh", option = "-c", command = "/bin/sh \"$0\" &", name = script;
    char* argv[] = {shell.data(), option.data(), command.data(), name.data(), nullptr};
    pid_t pid = -1;
    if (::posix_spawn(&pid, "/bin/sh", nullptr, nullptr, argv, environ) != 0) return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) return true;  // it runs; leave it
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace tz::platform
