// A listening message socket (AF_UNIX, SOCK_SEQPACKET) for a poll loop: its
// descriptor is watched by the caller and accepting never waits.
#pragma once

#include <string>

#include "platform/local_socket.h"

namespace tz::platform {

class MessageServer {
public:
    MessageServer() = default;
    ~MessageServer();
    MessageServer(MessageServer&& other) noexcept;
    MessageServer& operator=(MessageServer&& other) noexcept;
    MessageServer(const MessageServer&) = delete;
    MessageServer& operator=(const MessageServer&) = delete;

    // Listens on `path` (a stale socket file there is replaced; any other
    // file is left alone and the call fails) with the file mode `mode`, in
    // the group of the folder it is in.
    // Invalid object on failure, `error` says why.
    static MessageServer listen(const std::string& path, unsigned mode, std::string* error);

    bool valid() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    const std::string& path() const { return path_; }
    // A waiting connection, or an invalid socket when none waits.
    LocalSocket accept() const;
    // Stops listening and removes the socket file.
    void close();

private:
    int fd_ = -1;
    std::string path_;
};

}  // namespace tz::platform
