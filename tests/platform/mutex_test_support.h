// Helpers for the named-mutex tests: unique names, removed again when the
// test ends, a look at the system object behind a name, and readable wait
// results.
#pragma once

#ifndef _WIN32
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

#include <atomic>
#include <cerrno>
#include <ostream>
#include <string>

#include "platform/named_mutex.h"
#include "platform/process.h"

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
    return "tz-test-" + std::to_string(current_process_id()) + "-" + std::to_string(counter++);
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

#ifndef _WIN32
// The shared-memory object behind a plain name (letters, digits, '.', '_',
// '-', up to 200 of them).
inline std::string shm_name_of(const std::string& plain_name) { return "/tz5170-mutex.n." + plain_name; }

// Whether that object exists; only a clear "no such object" counts as gone.
inline bool system_object_exists(const std::string& plain_name) {
    int fd = ::shm_open(shm_name_of(plain_name).c_str(), O_RDONLY | O_CLOEXEC, 0);
    if (fd < 0) return errno != ENOENT;
    ::close(fd);
    return true;
}
#endif

}  // namespace test
}  // namespace tz::platform
