// A mutex shared by every process that opens the same name.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace tz::platform {

enum class WaitResult {
    Obtained,   // the caller owns the mutex
    TimedOut,   // the limit passed while another thread owned it
    Abandoned,  // its former owner ended without releasing it; the caller owns it now
    Failed,     // any other failure; the caller does not own it
};

// Not owned when created. The owning thread may wait again; each successful
// wait (Obtained or Abandoned) is matched by one release(). When the process
// that owns it dies, the next waiter is told Abandoned and becomes the owner.
class NamedMutex {
public:
    // Creates the mutex, or opens it when another process already created it.
    // Returns nullptr when the system refuses.
    static std::unique_ptr<NamedMutex> open(std::string_view name);
    // Removes the system object behind a name (processes that have it open keep
    // using it). For tests and clean-up; a later open() creates a new one.
    static void remove(std::string_view name);

    virtual ~NamedMutex() = default;
    virtual WaitResult wait(uint32_t timeout_ms) = 0;
    // false when the calling thread does not own the mutex.
    virtual bool release() = 0;
};

}  // namespace tz::platform
