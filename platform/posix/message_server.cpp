#include "platform/message_server.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace tz::platform {

MessageServer::~MessageServer() { close(); }

MessageServer::MessageServer(MessageServer&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)) {}

MessageServer& MessageServer::operator=(MessageServer&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::move(other.path_);
    }
    return *this;
}

MessageServer MessageServer::listen(const std::string& path, unsigned mode, std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error != nullptr) *error = why;
        return MessageServer{};
    };
    sockaddr_un address;
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) return fail("socket path too long");
    std::memcpy(address.sun_path, path.data(), path.size());

    struct stat existing;
    if (::lstat(path.c_str(), &existing) == 0) {
        if (!S_ISSOCK(existing.st_mode)) return fail("a file that is no socket is in the way");
        ::unlink(path.c_str());  // left by a server that ended abruptly
    }
    MessageServer server;
    server.fd_ = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (server.fd_ < 0) return fail(std::strerror(errno));
    if (::bind(server.fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return fail(std::strerror(errno));
    server.path_ = path;  // from here on close() removes the file
    // The socket belongs to the folder's group, so that the group's members may
    // connect; where we may not give it away it stays ours.
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    struct stat parent;
    if (::stat(folder.c_str(), &parent) == 0 && ::chown(path.c_str(), static_cast<uid_t>(-1), parent.st_gid) != 0 &&
        errno != EPERM)
        return fail(std::strerror(errno));
    if (::chmod(path.c_str(), static_cast<mode_t>(mode)) != 0 || ::listen(server.fd_, 16) != 0)
        return fail(std::strerror(errno));
    return server;
}

LocalSocket MessageServer::accept() const {
    if (fd_ < 0) return {};
    int fd;
    do {
        fd = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return LocalSocket(fd);
}

void MessageServer::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
        ::unlink(path_.c_str());
    }
    path_.clear();
}

}  // namespace tz::platform
