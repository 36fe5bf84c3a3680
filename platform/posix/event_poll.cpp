#include "platform/event_poll.h"

#include <poll.h>

#include <cerrno>
#include <cstddef>

namespace tz::platform {

const short kPollReadable = POLLIN;
const short kPollWritable = POLLOUT;
const short kPollHangup = POLLHUP | POLLERR | POLLNVAL | POLLRDHUP;

int poll_wait(std::vector<PollEntry>& entries, int timeout_ms) {
    std::vector<pollfd> native(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        native[i].fd = entries[i].fd;
        native[i].events = entries[i].events;
        native[i].revents = 0;
    }
    int n;
    do {
        n = ::poll(native.data(), native.size(), timeout_ms < 0 ? 0 : timeout_ms);
    } while (n < 0 && errno == EINTR);
    for (std::size_t i = 0; i < entries.size(); ++i) entries[i].returned = n > 0 ? native[i].revents : 0;
    return n;
}

}  // namespace tz::platform
