#include "platform/helper_process.h"

#include "windows_api.h"

namespace tz::platform {
namespace {

using win32::from_handle;
using win32::to_handle;

void close_handle(intptr_t& handle) {
    if (handle != -1) ::CloseHandle(to_handle(handle));
    handle = -1;
}

// Quoted for the child's command line parser (no quotes inside).
void append_quoted(std::string& line, const std::string& word) {
    line += '"';
    line += word;
    line += '"';
}

}  // namespace

HelperProcess::HelperProcess(const std::string& program, const std::vector<std::string>& arguments) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE child_in = nullptr, our_in = nullptr, our_out = nullptr, child_out = nullptr;
    if (!::CreatePipe(&child_in, &our_in, &inherit, 0)) return;
    if (!::CreatePipe(&our_out, &child_out, &inherit, 0)) {
        ::CloseHandle(child_in);
        ::CloseHandle(our_in);
        return;
    }
    // Our ends stay ours.
    ::SetHandleInformation(our_in, HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(our_out, HANDLE_FLAG_INHERIT, 0);
    std::string command;
    append_quoted(command, program);
    for (const std::string& argument : arguments) {
        command += ' ';
        append_quoted(command, argument);
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = child_in;
    startup.hStdOutput = child_out;
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION info{};
    if (::CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                         &info)) {
        ::CloseHandle(info.hThread);
        process_ = from_handle(info.hProcess);
    }
    ::CloseHandle(child_in);
    ::CloseHandle(child_out);
    input_ = from_handle(our_in);
    output_ = from_handle(our_out);
}

HelperProcess::~HelperProcess() {
    close_input();
    if (process_ != -1) wait_exit(5000);
    close_handle(output_);
}

std::string HelperProcess::read_line() {
    std::string line;
    char c;
    DWORD n = 0;
    while (output_ != -1 && ::ReadFile(to_handle(output_), &c, 1, &n, nullptr) && n == 1 && c != '\n')
        if (c != '\r') line += c;
    return line;
}

void HelperProcess::close_input() { close_handle(input_); }

int HelperProcess::wait_exit(uint32_t timeout_ms) {
    if (process_ == -1) return -1;
    if (::WaitForSingleObject(to_handle(process_), timeout_ms) != WAIT_OBJECT_0) {
        kill();
        return -1;
    }
    DWORD code = 0;
    const bool known = ::GetExitCodeProcess(to_handle(process_), &code) != FALSE;
    close_handle(process_);
    return known ? static_cast<int>(code) : -1;
}

void HelperProcess::kill() {
    if (process_ == -1) return;
    ::TerminateProcess(to_handle(process_), 1);
    ::WaitForSingleObject(to_handle(process_), 5000);
    close_handle(process_);
}

std::string program_folder() {
    char path[MAX_PATH + 1] = {};
    const DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return ".";
    const std::string self(path, n);
    return self.substr(0, self.find_last_of("\\/"));
}

}  // namespace tz::platform
