// SIGTERM and SIGINT turned into a descriptor that a poll loop watches, so a
// service can end cleanly between two steps instead of inside one.
#pragma once

namespace tz::platform {

class TerminationSignals {
public:
    // Blocks both signals in the calling thread (and every thread it starts
    // later). Create it before any thread.
    TerminationSignals();
    // Unblocks them again.
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    bool valid() const { return fd_ >= 0; }
    // Readable once a signal has come.
    int fd() const { return fd_; }
    // Takes the signals that have come; the name of the last one, or nullptr.
    const char* take();

private:
    int fd_ = -1;
};

}  // namespace tz::platform
