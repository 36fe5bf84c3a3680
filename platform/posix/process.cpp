#include "platform/process.h"

#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

namespace tz::platform {

namespace {

// The calling thread's id, asked of the system once per thread. The child of
// a fork() runs the forking thread's code under an id of its own, so it asks
// again.
thread_local uint32_t t_thread_id = 0;
void forget_thread_id() { t_thread_id = 0; }
[[maybe_unused]] const bool g_forget_after_fork = ::pthread_atfork(nullptr, nullptr, forget_thread_id) == 0;

}  // namespace

uint32_t current_thread_id() {
    if (t_thread_id == 0) t_thread_id = static_cast<uint32_t>(::syscall(SYS_gettid));
    return t_thread_id;
}

uint32_t current_process_id() { return static_cast<uint32_t>(::getpid()); }

void sleep_ms(uint32_t milliseconds) {
    timespec left{static_cast<time_t>(milliseconds / 1000),
                  static_cast<long>(milliseconds % 1000) * 1000000L};
    while (::nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

bool thread_end_can_wait_for_threads() { return true; }

bool running_as_administrator() { return ::geteuid() == 0; }

}  // namespace tz::platform
