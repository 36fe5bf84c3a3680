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

IoResult finish(ssize_t n) {
    if (n > 0) return {IoStatus::Ok, static_cast<size_t>(n)};
    return {IoStatus::Failed, 0};
}

// One attempt that never blocks, for sockets: MSG_DONTWAIT keeps the
// descriptor's own flags untouched. -1 with errno ENOTSOCK for other
// descriptors, which are only touched once poll() found them ready.
ssize_t socket_read_now(int fd, void* buffer, size_t size) { return ::recv(fd, buffer, size, MSG_DONTWAIT); }

ssize_t socket_write_now(int fd, const void* data, size_t size) {
    return ::send(fd, data, size, MSG_DONTWAIT | MSG_NOSIGNAL);
}

bool would_block() { return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR; }

// Tries at once (sockets), then waits for readiness until the deadline and
// tries again; `now` is the socket attempt, `plain` the call for other
// descriptors. With no time to wait, a socket that has nothing costs the one
// attempt. A read tries first too: when the other end shares the CPU, its
// answer is usually there by the time the command's write returns, and the
// wait would only find that out; when it runs elsewhere, the attempt costs
// little beside the wait that follows. The clock is read only once a wait is
// needed.
template <typename Now, typename Plain>
IoResult transfer_timed(int fd, short events, uint32_t timeout_ms, Now now, Plain plain) {
    if (ssize_t n = now(); n >= 0) return finish(n);
    bool is_socket = true;
    if (errno == ENOTSOCK) is_socket = false;
    else if (!would_block()) return {};
    else if (timeout_ms == 0) return {IoStatus::TimedOut, 0};
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        int ready = wait_ready(fd, events, deadline);
        if (ready == 0) return {IoStatus::TimedOut, 0};
        if (ready < 0) return {};
        ssize_t n = is_socket ? now() : plain();
        if (n >= 0) return finish(n);
        if (is_socket && errno == ENOTSOCK) is_socket = false;
        else if (!would_block()) return {};
        // A descriptor another thread emptied (or filled) first: wait again.
    }
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
    return transfer_timed(
        fd, POLLIN, timeout_ms, [&] { return socket_read_now(fd, buffer, size); },
        [&] { return ::read(fd, buffer, size); });
}

IoResult pipe_write_timed(PipeHandle pipe, const void* data, size_t size, uint32_t timeout_ms) {
    int fd = static_cast<int>(pipe);
    if (fd < 0 || data == nullptr) return {};
    return transfer_timed(
        fd, POLLOUT, timeout_ms, [&] { return socket_write_now(fd, data, size); },
        [&] { return ::write(fd, data, size); });
}

void close_pipe(PipeHandle pipe) {
    if (pipe >= 0) ::close(static_cast<int>(pipe));
}

}  // namespace tz::platform
