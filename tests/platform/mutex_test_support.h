// Helpers for the named-mutex tests: unique names, removed again when the
// test ends, and readable wait results.
#pragma once

#include <unistd.h>

#include <atomic>
#include <ostream>
#include <string>

#include "platform/named_mutex.h"

namespace tz::platform {

// Readable wait results in test failures.
inline void PrintTo(WaitResult result, std::ostream* out) {
    switch (result) {
        case WaitResult::Obtained: *out << "Obtained"; return;
        case WaitResult::TimedOut: *out << "TimedOut"; return;
        case WaitResult::Abandoned: *out << "Abandoned"; return;
        case WaitResult::Failed: *out << "Failed"; return;
    }
    *out << "WaitResult(" << static_cast<int>(result) << ")";
}

namespace test {

// Text that no other test, and no other test process, uses.
inline std::string unique_stem() {
    static std::atomic<int> counter{0};
    return "tz-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
}

// A unique name; the system object behind it is removed when the object goes
// out of scope (also when the test fails half-way).
class ScopedMutexName {
public:
    ScopedMutexName() : name_(unique_stem()) {}
    // Uses `name` exactly as given; build it from unique_stem().
    static ScopedMutexName exactly(std::string name) {
        ScopedMutexName scoped;
        scoped.name_ = std::move(name);
        NamedMutex::remove(scoped.name_);  // a leftover of an earlier crashed run
        return scoped;
    }
    ~ScopedMutexName() {
        if (!name_.empty()) NamedMutex::remove(name_);
    }
    ScopedMutexName(ScopedMutexName&& other) noexcept : name_(std::move(other.name_)) { other.name_.clear(); }
    ScopedMutexName& operator=(ScopedMutexName&&) = delete;
    ScopedMutexName(const ScopedMutexName&) = delete;
    ScopedMutexName& operator=(const ScopedMutexName&) = delete;

    const std::string& str() const { return name_; }

private:
    std::string name_;
};

}  // namespace test
}  // namespace tz::platform
