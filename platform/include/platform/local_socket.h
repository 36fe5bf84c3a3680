// Local (AF_UNIX) sockets between the USB control library and the virtual
// printers. Message sockets keep message boundaries; stream sockets carry the
// text lines of a control connection.
//
// On Windows they are named pipes, message-mode or byte-mode: the socket
// file DIR/NAME stands for the pipe \\.\pipe\tz5170-<hash>-NAME, <hash>
// being eight hexadecimal digits of a 32-bit FNV-1a hash of DIR's absolute
// path in lower case. A listener keeps a plain file at DIR/NAME while it
// listens, so that a folder still shows its printers. A descriptor is the
// pipe handle's value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/pipe_io.h"

namespace tz::platform {

enum class SocketKind { Message, Stream };

// Owns one connected socket descriptor.
class LocalSocket {
public:
    LocalSocket() = default;
    explicit LocalSocket(int fd) : fd_(fd) {}
    ~LocalSocket();
    LocalSocket(LocalSocket&& other) noexcept;
    LocalSocket& operator=(LocalSocket&& other) noexcept;
    LocalSocket(const LocalSocket&) = delete;
    LocalSocket& operator=(const LocalSocket&) = delete;

    // Connects to the socket file at `path`; an invalid object when nobody listens.
    static LocalSocket connect(const std::string& path, SocketKind kind);
    // Two connected message sockets.
    static bool pair(LocalSocket& a, LocalSocket& b);

    bool valid() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    // Hands the descriptor over to the caller, who must close it.
    int release();
    // A new descriptor for the same connection (the caller closes it), or -1.
    int duplicate() const;
    void close();
    // Ends the connection in both directions for every holder of it; a thread
    // blocked on it wakes up. The descriptor stays owned. (On Windows the
    // connection itself ends with its last handle when this is the client's
    // end; every transfer waiting on it ends now.)
    void shutdown();

    // One message (or for streams: what is there) with a limit; timeout 0 polls.
    IoResult receive(void* buffer, size_t size, uint32_t timeout_ms) const;
    IoResult send(const void* data, size_t size, uint32_t timeout_ms) const;
    // true once the peer has closed the connection (or it was shut down).
    bool peer_closed() const;

private:
    int fd_ = -1;
};

// A listening socket file; the file is removed again when the object closes.
class LocalListener {
public:
    LocalListener() = default;
    ~LocalListener();
    LocalListener(LocalListener&& other) noexcept;
    LocalListener& operator=(LocalListener&& other) noexcept;
    LocalListener(const LocalListener&) = delete;
    LocalListener& operator=(const LocalListener&) = delete;

    // Replaces a stale socket file at `path`. Invalid object on failure.
    static LocalListener listen(const std::string& path, SocketKind kind);

    bool valid() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }
    // Waits up to `timeout_ms` for a connection; an invalid socket when none came.
    LocalSocket accept(uint32_t timeout_ms) const;
    void close();

private:
    int fd_ = -1;
    std::string path_;
    SocketKind kind_ = SocketKind::Message;  // of the connections it accepts
};

// Whether `path` is a socket file (on Windows: the file of a listener).
bool local_socket_exists(const std::string& path);

}  // namespace tz::platform
