#include "platform/local_socket.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

namespace tz::platform {
namespace {

int socket_type(SocketKind kind) {
    return (kind == SocketKind::Message ? SOCK_SEQPACKET : SOCK_STREAM) | SOCK_CLOEXEC;
}

bool make_address(const std::string& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.data(), path.size());
    return true;
}

void close_fd(int& fd) {
    if (fd >= 0) {
        ::close(fd);
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
    sockaddr_un address;
    if (!make_address(path, address)) return {};
    LocalSocket s(::socket(AF_UNIX, socket_type(kind), 0));
    if (!s.valid()) return {};
    int rc;
    do {
        rc = ::connect(s.fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) return {};
    return s;
}

bool LocalSocket::pair(LocalSocket& a, LocalSocket& b) {
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, fds) != 0) return false;
    a = LocalSocket(fds[0]);
    b = LocalSocket(fds[1]);
    return true;
}

int LocalSocket::release() { return std::exchange(fd_, -1); }

int LocalSocket::duplicate() const {
    if (fd_ < 0) return -1;
    return ::fcntl(fd_, F_DUPFD_CLOEXEC, 0);
}

void LocalSocket::close() { close_fd(fd_); }

void LocalSocket::shutdown() {
    if (fd_ >= 0) ::shutdown(fd_, SHUT_RDWR);
}

IoResult LocalSocket::receive(void* buffer, size_t size, uint32_t timeout_ms) const {
    return pipe_read_timed(fd_, buffer, size, timeout_ms);
}

IoResult LocalSocket::send(const void* data, size_t size, uint32_t timeout_ms) const {
    return pipe_write_timed(fd_, data, size, timeout_ms);
}

bool LocalSocket::peer_closed() const {
    if (fd_ < 0) return true;
    pollfd p{fd_, POLLIN | POLLRDHUP, 0};
    int n;
    do {
        n = ::poll(&p, 1, 0);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return true;
    return (p.revents & (POLLHUP | POLLRDHUP | POLLERR | POLLNVAL)) != 0;
}

LocalListener::~LocalListener() { close(); }

LocalListener::LocalListener(LocalListener&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)) {}

LocalListener& LocalListener::operator=(LocalListener&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::move(other.path_);
    }
    return *this;
}

LocalListener LocalListener::listen(const std::string& path, SocketKind kind) {
    sockaddr_un address;
    if (!make_address(path, address)) return {};
    LocalListener l;
    l.fd_ = ::socket(AF_UNIX, socket_type(kind), 0);
    if (l.fd_ < 0) return {};
    ::unlink(path.c_str());  // a socket file left by a printer that ended abruptly
    if (::bind(l.fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(l.fd_, 16) != 0) {
        close_fd(l.fd_);
        return {};
    }
    l.path_ = path;
    return l;
}

LocalSocket LocalListener::accept(uint32_t timeout_ms) const {
    if (fd_ < 0) return {};
    pollfd p{fd_, POLLIN, 0};
    int n;
    do {
        n = ::poll(&p, 1, static_cast<int>(timeout_ms));
    } while (n < 0 && errno == EINTR);
    if (n <= 0) return {};
    return LocalSocket(::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC));
}

void LocalListener::close() {
    if (fd_ >= 0) {
        close_fd(fd_);
        ::unlink(path_.c_str());
    }
    path_.clear();
}

bool local_socket_exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_socket(path, error);
}

}  // namespace tz::platform
