#include "platform/helper_process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

extern char** environ;

namespace tz::platform {
namespace {

void close_fd(intptr_t& fd) {
    if (fd >= 0) ::close(static_cast<int>(fd));
    fd = -1;
}

int exit_status(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }

}  // namespace

HelperProcess::HelperProcess(const std::string& program, const std::vector<std::string>& arguments) {
    int in[2], out[2];
    if (::pipe(in) != 0) return;
    if (::pipe(out) != 0) {
        ::close(in[0]);
        ::close(in[1]);
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, in[1]);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0) process_ = pid;
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    input_ = in[1];
    output_ = out[0];
}

HelperProcess::~HelperProcess() {
    close_input();
    if (process_ != -1) wait_exit(5000);
    close_fd(output_);
}

std::string HelperProcess::read_line() {
    std::string line;
    char c;
    while (output_ >= 0 && ::read(static_cast<int>(output_), &c, 1) == 1 && c != '\n') line += c;
    return line;
}

void HelperProcess::close_input() { close_fd(input_); }

int HelperProcess::wait_exit(uint32_t timeout_ms) {
    if (process_ == -1) return -1;
    const auto limit = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    do {
        int status = 0;
        if (::waitpid(static_cast<pid_t>(process_), &status, WNOHANG) == static_cast<pid_t>(process_)) {
            process_ = -1;
            return exit_status(status);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } while (std::chrono::steady_clock::now() < limit);
    kill();
    return -1;
}

void HelperProcess::kill() {
    if (process_ == -1) return;
    ::kill(static_cast<pid_t>(process_), SIGKILL);
    ::waitpid(static_cast<pid_t>(process_), nullptr, 0);
    process_ = -1;
}

std::string program_folder() {
    char path[4096];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    const std::string self(path, static_cast<size_t>(n));
    return self.substr(0, self.rfind('/'));
}

}  // namespace tz::platform
