#include "platform/process.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

namespace tz::platform {

uint32_t current_thread_id() { return static_cast<uint32_t>(::syscall(SYS_gettid)); }

uint32_t current_process_id() { return static_cast<uint32_t>(::getpid()); }

void sleep_ms(uint32_t milliseconds) {
    timespec left{static_cast<time_t>(milliseconds / 1000),
                  static_cast<long>(milliseconds % 1000) * 1000000L};
    while (::nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

bool running_as_administrator() { return ::geteuid() == 0; }

}  // namespace tz::platform
