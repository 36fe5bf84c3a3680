#include "platform/pipe_io.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace tz::platform {
namespace {

using Clock = std::chrono::steady_clock;

// Waits until the descriptor is ready for `events` or the deadline passes.
// Returns 1 ready, 0 timed out, -1 failed.
int wait_ready(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        int timeout = left.count() > 0 ? static_cast<int>(left.count()) : 0;
        pollfd p{fd, events, 0};
        int n = ::poll(&p, 1, timeout);
        if (n > 0) return 1;  // ready, or an error/hang-up that the next call reports
        if (n == 0) return 0;
        if (errno != EINTR) return -1;
    }
}

// One non-blocking attempt. On sockets MSG_DONTWAIT keeps the descriptor's
// own flags untouched; other descriptors were found ready by poll().
ssize_t try_read(int fd, void* buffer, size_t size, bool& is_socket) {
    if (is_socket) {
        ssize_t n = ::recv(fd, buffer, size, MSG_DONTWAIT);
        if (n >= 0 || errno != ENOTSOCK) return n;
        is_socket = false;
    }
    return ::read(fd, buffer, size);
}

ssize_t try_write(int fd, const void* data, size_t size, bool& is_socket) {
    if (is_socket) {
        ssize_t n = ::send(fd, data, size, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n >= 0 || errno != ENOTSOCK) return n;
        is_socket = false;
    }
    return ::write(fd, data, size);
}

IoResult finish(ssize_t n) {
    if (n > 0) return {IoStatus::Ok, static_cast<size_t>(n)};
    return {IoStatus::Failed, 0};
}

}  // namespace

IoResult pipe_read(PipeHandle pipe, void* buffer, size_t size) {
    int fd = static_cast<int>(pipe);
    if (fd < 0 || buffer == nullptr) return {};
    ssize_t n;
    do {
        n = ::read(fd, buffer, size);
    } while (n < 0 && errno == EINTR);
    return finish(n);
}

IoResult pipe_write(PipeHandle pipe, const void* data, size_t size) {
    int fd = static_cast<int>(pipe);
    if (fd < 0 || data == nullptr) return {};
    ssize_t n;
    do {
        n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n < 0 && errno == ENOTSOCK) n = ::write(fd, data, size);
    } while (n < 0 && errno == EINTR);
    return finish(n);
}

IoResult pipe_read_timed(PipeHandle pipe, void* buffer, size_t size, uint32_t timeout_ms) {
    int fd = static_cast<int>(pipe);
    if (fd < 0 || buffer == nullptr) return {};
    auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    bool is_socket = true;
    for (;;) {
        int ready = wait_ready(fd, POLLIN, deadline);
        if (ready == 0) return {IoStatus::TimedOut, 0};
        if (ready < 0) return {};
        ssize_t n = try_read(fd, buffer, size, is_socket);
        if (n >= 0) return finish(n);
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return {};
        // Another reader took the message first: wait again until the deadline.
    }
}

IoResult pipe_write_timed(PipeHandle pipe, const void* data, size_t size, uint32_t timeout_ms) {
    int fd = static_cast<int>(pipe);
    if (fd < 0 || data == nullptr) return {};
    auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    bool is_socket = true;
    for (;;) {
        int ready = wait_ready(fd, POLLOUT, deadline);
        if (ready == 0) return {IoStatus::TimedOut, 0};
        if (ready < 0) return {};
        ssize_t n = try_write(fd, data, size, is_socket);
        if (n >= 0) return finish(n);
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return {};
        // The receiver's queue is full: wait again until the deadline.
    }
}

void close_pipe(PipeHandle pipe) {
    if (pipe >= 0) ::close(static_cast<int>(pipe));
}

}  // namespace tz::platform
