#include "platform/recursive_lock.h"

#include "windows_api.h"

namespace tz::platform {

RecursiveLock::RecursiveLock() : section_(new CRITICAL_SECTION) {
    ::InitializeCriticalSection(static_cast<CRITICAL_SECTION*>(section_));
}

RecursiveLock::~RecursiveLock() {
    ::DeleteCriticalSection(static_cast<CRITICAL_SECTION*>(section_));
    delete static_cast<CRITICAL_SECTION*>(section_);
}

void RecursiveLock::lock() { ::EnterCriticalSection(static_cast<CRITICAL_SECTION*>(section_)); }

bool RecursiveLock::try_lock() { return ::TryEnterCriticalSection(static_cast<CRITICAL_SECTION*>(section_)) != FALSE; }

void RecursiveLock::unlock() { ::LeaveCriticalSection(static_cast<CRITICAL_SECTION*>(section_)); }

}  // namespace tz::platform
