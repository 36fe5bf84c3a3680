// A program run by a test as a user runs it: its standard output and error
// go to files; it is killed if still running at the end.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "temp_folder.h"

namespace tz::test {

inline std::string read_file(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A child process with stdout and stderr in files; killed if still running at the end.
class Child {
public:
    // `working_directory`, when given, is the child's current folder.
    Child(const std::string& program, const std::vector<std::string>& args, const tz::test::TempFolder& folder,
          const std::string& working_directory = {}) {
        static int serial = 0;
        std::string stem = folder.file("out" + std::to_string(++serial));
        out_path_ = stem + ".stdout";
        err_path_ = stem + ".stderr";
        std::vector<std::string> words{program};
        words.insert(words.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& w : words) argv.push_back(w.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawn_file_actions_addopen(&actions, 1, out_path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::posix_spawn_file_actions_addopen(&actions, 2, err_path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (!working_directory.empty()) ::posix_spawn_file_actions_addchdir_np(&actions, working_directory.c_str());
        if (::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        ::posix_spawn_file_actions_destroy(&actions);
    }
    ~Child() {
        if (pid_ > 0 && !exited_) {
            ::kill(pid_, SIGKILL);
            int status = 0;
            ::waitpid(pid_, &status, 0);
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool started() const { return pid_ > 0; }
    void signal(int number) const { ::kill(pid_, number); }

    // The exit status, or -1 when the child has not ended within the limit.
    int wait(std::chrono::milliseconds limit) {
        auto end = std::chrono::steady_clock::now() + limit;
        while (!exited_) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                exited_ = true;
                status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                break;
            }
            if (std::chrono::steady_clock::now() >= end) return -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return status_;
    }
    std::string out() const { return read_file(out_path_); }
    std::string err() const { return read_file(err_path_); }

private:
    pid_t pid_ = -1;
    bool exited_ = false;
    int status_ = -1;
    std::string out_path_, err_path_;
};

}  // namespace tz::test
