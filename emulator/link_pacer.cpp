#include "emulator/link_pacer.h"

#include <algorithm>

namespace tz::emulator {
namespace {

// A transfer that finds the link idle may count up to this much of the time
// just gone by, so that a late wake-up of the serving thread does not slow
// the link below its rate.
constexpr int64_t kSlackNs = 2'000'000;

}  // namespace

void LinkPacer::set_rate(uint64_t bytes_per_second) {
    std::lock_guard guard(lock_);
    rate_ = bytes_per_second;
    free_at_ = 0;
}

uint64_t LinkPacer::rate() const {
    std::lock_guard guard(lock_);
    return rate_;
}

int64_t LinkPacer::arrival(size_t bytes, int64_t now_ns) {
    std::lock_guard guard(lock_);
    if (rate_ == 0) return now_ns;
    const int64_t start = std::max(now_ns - kSlackNs, free_at_);
    const auto crossing = static_cast<int64_t>(static_cast<long double>(bytes) * 1e9L / static_cast<long double>(rate_));
    free_at_ = start + crossing;
    return free_at_;
}

}  // namespace tz::emulator
