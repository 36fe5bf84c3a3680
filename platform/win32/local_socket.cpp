// Local sockets as named pipes (see platform/local_socket.h for the names).
// Every handle is opened for overlapped I/O, so that transfers have limits
// and the two directions of one connection never wait for each other.
#include "platform/local_socket.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>

#include "overlapped_transfer.h"

namespace tz::platform {
namespace {

using win32::Direction;
using win32::OwnedHandle;

// Room for the largest transfer (link::kMaxTransfer) in each direction.
constexpr DWORD kPipeBuffer = 128 * 1024;
// How long connect() waits for a free instance of a busy listener.
constexpr DWORD kBusyWaitMs = 2000;
constexpr int kConnectAttempts = 5;

std::string pipe_name_for(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::path file(path);
    fs::path folder = fs::absolute(file.parent_path().empty() ? fs::path(".") : file.parent_path(), error);
    std::string text = folder.lexically_normal().make_preferred().string();
    while (text.size() > 3 && text.back() == '\\') text.pop_back();
    uint32_t hash = 2166136261u;
    for (char c : text) {
        const unsigned char lower = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        hash = (hash ^ lower) * 16777619u;
    }
    char tag[16];
    std::snprintf(tag, sizeof tag, "%08x", static_cast<unsigned>(hash));
    return std::string("\\\\.\\pipe\\tz5170-") + tag + "-" + file.filename().string();
}

DWORD pipe_type(SocketKind kind) {
    return kind == SocketKind::Message ? (PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE) : (PIPE_TYPE_BYTE | PIPE_READMODE_BYTE);
}

HANDLE new_instance(const std::string& name, SocketKind kind) {
    return ::CreateNamedPipeA(name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                              pipe_type(kind) | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, PIPE_UNLIMITED_INSTANCES,
                              kPipeBuffer, kPipeBuffer, 0, nullptr);
}

HANDLE open_client(const std::string& name, SocketKind kind) {
    for (int attempt = 0; attempt < kConnectAttempts; ++attempt) {
        HANDLE h = ::CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_OVERLAPPED, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            DWORD mode = kind == SocketKind::Message ? PIPE_READMODE_MESSAGE : PIPE_READMODE_BYTE;
            if (!::SetNamedPipeHandleState(h, &mode, nullptr, nullptr)) {
                ::CloseHandle(h);
                return INVALID_HANDLE_VALUE;
            }
            return h;
        }
        if (::GetLastError() != ERROR_PIPE_BUSY || !::WaitNamedPipeA(name.c_str(), kBusyWaitMs)) break;
    }
    return INVALID_HANDLE_VALUE;
}

// Waits up to `timeout_ms` for a client on a listening instance; true once
// one is connected.
bool wait_for_client(HANDLE instance, uint32_t timeout_ms) {
    OwnedHandle event(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!event.valid()) return false;
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.get();
    if (::ConnectNamedPipe(instance, &overlapped)) return true;
    switch (::GetLastError()) {
        case ERROR_PIPE_CONNECTED:
            return true;
        case ERROR_IO_PENDING:
            break;
        default:
            return false;
    }
    if (::WaitForSingleObject(event.get(), timeout_ms) != WAIT_OBJECT_0) ::CancelIoEx(instance, &overlapped);
    DWORD ignored = 0;
    return ::GetOverlappedResult(instance, &overlapped, &ignored, TRUE) != FALSE;
}

int as_descriptor(HANDLE h) { return h == INVALID_HANDLE_VALUE || h == nullptr ? -1 : static_cast<int>(win32::from_handle(h)); }

HANDLE as_handle(int fd) { return win32::to_handle(static_cast<intptr_t>(fd)); }

void close_fd(int& fd) {
    if (fd >= 0) {
        ::CloseHandle(as_handle(fd));
        fd = -1;
    }
}

}  // namespace

LocalSocket::~LocalSocket() { close(); }

LocalSocket::LocalSocket(LocalSocket&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

LocalSocket& LocalSocket::operator=(LocalSocket&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

LocalSocket LocalSocket::connect(const std::string& path, SocketKind kind) {
    if (path.empty()) return {};
    return LocalSocket(as_descriptor(open_client(pipe_name_for(path), kind)));
}

bool LocalSocket::pair(LocalSocket& a, LocalSocket& b) {
    static std::atomic<unsigned> counter{0};
    char name[96];
    std::snprintf(name, sizeof name, "\\\\.\\pipe\\tz5170-pair-%lu-%u", ::GetCurrentProcessId(), counter++);
    OwnedHandle server(new_instance(name, SocketKind::Message));
    if (!server.valid()) return false;
    OwnedHandle client(open_client(name, SocketKind::Message));
    if (!client.valid() || !wait_for_client(server.get(), 0)) return false;
    a = LocalSocket(as_descriptor(server.release()));
    b = LocalSocket(as_descriptor(client.release()));
    return true;
}

int LocalSocket::release() { return std::exchange(fd_, -1); }

int LocalSocket::duplicate() const {
    if (fd_ < 0) return -1;
    HANDLE copy = nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), as_handle(fd_), ::GetCurrentProcess(), &copy, 0, FALSE,
                           DUPLICATE_SAME_ACCESS))
        return -1;
    return as_descriptor(copy);
}

void LocalSocket::close() { close_fd(fd_); }

void LocalSocket::shutdown() {
    if (fd_ < 0) return;
    ::DisconnectNamedPipe(as_handle(fd_));  // the server's end: the client is cut off
    ::CancelIoEx(as_handle(fd_), nullptr);  // either end: waiting transfers end
}

IoResult LocalSocket::receive(void* buffer, size_t size, uint32_t timeout_ms) const {
    if (fd_ < 0 || size > MAXDWORD) return {};
    return win32::overlapped_transfer(as_handle(fd_), Direction::Read, buffer, static_cast<DWORD>(size), timeout_ms);
}

IoResult LocalSocket::send(const void* data, size_t size, uint32_t timeout_ms) const {
    if (fd_ < 0 || size > MAXDWORD) return {};
    return win32::overlapped_transfer(as_handle(fd_), Direction::Write, const_cast<void*>(data),
                                      static_cast<DWORD>(size), timeout_ms);
}

bool LocalSocket::peer_closed() const {
    if (fd_ < 0) return true;
    DWORD available = 0;
    if (::PeekNamedPipe(as_handle(fd_), nullptr, 0, nullptr, &available, nullptr)) return false;
    const DWORD error = ::GetLastError();
    return error == ERROR_BROKEN_PIPE || error == ERROR_PIPE_NOT_CONNECTED || error == ERROR_NO_DATA ||
           error == ERROR_INVALID_HANDLE;
}

LocalListener::~LocalListener() { close(); }

LocalListener::LocalListener(LocalListener&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)), kind_(other.kind_) {}

LocalListener& LocalListener::operator=(LocalListener&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::move(other.path_);
        kind_ = other.kind_;
    }
    return *this;
}

LocalListener LocalListener::listen(const std::string& path, SocketKind kind) {
    if (path.empty()) return {};
    const std::string name = pipe_name_for(path);
    LocalListener l;
    l.fd_ = as_descriptor(new_instance(name, kind));
    if (l.fd_ < 0) return {};
    // The file that shows the listener in its folder; one left by a printer
    // that ended abruptly is replaced.
    std::ofstream marker(path, std::ios::trunc);
    marker << name << "\n";
    if (!marker) {
        close_fd(l.fd_);
        return {};
    }
    l.path_ = path;
    l.kind_ = kind;
    return l;
}

LocalSocket LocalListener::accept(uint32_t timeout_ms) const {
    if (fd_ < 0) return {};
    HANDLE instance = as_handle(fd_);
    if (!wait_for_client(instance, timeout_ms)) return {};
    // The connected instance is the new socket; a fresh one listens on.
    HANDLE next = new_instance(pipe_name_for(path_), kind_);
    if (next == INVALID_HANDLE_VALUE) {
        ::DisconnectNamedPipe(instance);  // keep listening with the one we have
        return {};
    }
    const_cast<LocalListener*>(this)->fd_ = as_descriptor(next);
    return LocalSocket(as_descriptor(instance));
}

void LocalListener::close() {
    if (fd_ >= 0) {
        close_fd(fd_);
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    path_.clear();
}

bool local_socket_exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

}  // namespace tz::platform
