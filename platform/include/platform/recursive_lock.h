// The process-wide recursive lock with a try-enter.
#pragma once

#if !defined(_WIN32)
#include <mutex>
#endif

namespace tz::platform {

// lock() / try_lock() / unlock(); the owning thread may enter again, each
// entry matched by one unlock(). Usable with std::lock_guard / unique_lock.
#if defined(_WIN32)
// A critical section (TryEnterCriticalSection for try_lock()).
class RecursiveLock {
public:
    RecursiveLock();
    ~RecursiveLock();
    RecursiveLock(const RecursiveLock&) = delete;
    RecursiveLock& operator=(const RecursiveLock&) = delete;

    void lock();
    bool try_lock();
    void unlock();

private:
    void* section_;  // CRITICAL_SECTION, owned
};
#else
using RecursiveLock = std::recursive_mutex;
#endif

}  // namespace tz::platform
