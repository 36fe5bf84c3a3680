// The process-wide recursive lock with a try-enter.
#pragma once

#include <mutex>

namespace tz::platform {

// lock() / try_lock() / unlock(); the owning thread may enter again, each
// entry matched by one unlock(). Usable with std::lock_guard / unique_lock.
using RecursiveLock = std::recursive_mutex;

}  // namespace tz::platform
