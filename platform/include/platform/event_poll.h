// Waiting on several descriptors at once, for programs that serve many
// connections from one thread (the USB bridge).
#pragma once

#include <cstdint>
#include <vector>

namespace tz::platform {

// Native event bits, as the descriptors' owners (libusb among them) report them.
extern const short kPollReadable;
extern const short kPollWritable;
// Returned only: the peer hung up, or the descriptor failed.
extern const short kPollHangup;

struct PollEntry {
    int fd = -1;
    short events = 0;    // what to wait for
    short returned = 0;  // what happened
};

// Waits at most `timeout_ms` (0 polls) until any entry has an event; fills
// `returned`. The number of entries with events, 0 on time-out, -1 on failure.
int poll_wait(std::vector<PollEntry>& entries, int timeout_ms);

}  // namespace tz::platform
