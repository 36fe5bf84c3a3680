#include "platform/termination_signals.h"

#include <pthread.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace tz::platform {
namespace {

sigset_t termination_set() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    return set;
}

}  // namespace

TerminationSignals::TerminationSignals() {
    sigset_t set = termination_set();
    if (::pthread_sigmask(SIG_BLOCK, &set, nullptr) != 0) return;
    fd_ = ::signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
}

TerminationSignals::~TerminationSignals() {
    if (fd_ >= 0) ::close(fd_);
    sigset_t set = termination_set();
    ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

const char* TerminationSignals::take() {
    const char* name = nullptr;
    signalfd_siginfo info;
    while (fd_ >= 0 && ::read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info))
        name = info.ssi_signo == SIGTERM ? "SIGTERM" : "SIGINT";
    return name;
}

}  // namespace tz::platform
