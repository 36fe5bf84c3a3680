// The printer's sense of time. The model reads the time from a clock it is
// given, so that tests can drive it by hand instead of sleeping.
#pragma once

#include <atomic>
#include <cstdint>

namespace tz::emulator {

class Clock {
public:
    virtual ~Clock() = default;
    // Nanoseconds since an arbitrary start; never goes backwards.
    virtual int64_t now_ns() const = 0;
};

// The machine's monotonic clock.
class SteadyClock final : public Clock {
public:
    int64_t now_ns() const override;
};

// A clock that moves only when told to.
class ManualClock final : public Clock {
public:
    int64_t now_ns() const override { return now_.load(); }
    void advance_ms(double milliseconds) { now_ += static_cast<int64_t>(milliseconds * 1e6); }

private:
    std::atomic<int64_t> now_{0};
};

}  // namespace tz::emulator
