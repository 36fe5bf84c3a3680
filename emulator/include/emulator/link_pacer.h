// The USB link between the host and the printer: one wire that every
// connection shares, carrying at most a set number of bytes a second (a USB
// 2.0 printer takes about 33 MB/s). Each transfer the host sends takes the
// link after the ones before it; the printer sees it once its last byte has
// crossed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>

namespace tz::emulator {

class LinkPacer {
public:
    // Bytes a second; 0 for a link without a limit.
    void set_rate(uint64_t bytes_per_second);
    uint64_t rate() const;
    // When (steady clock, ns) the last byte of a transfer of `bytes` sent at
    // `now_ns` has crossed the link: `now_ns` itself on a link without a limit.
    int64_t arrival(size_t bytes, int64_t now_ns);

private:
    mutable std::mutex lock_;
    uint64_t rate_ = 0;
    int64_t free_at_ = 0;  // when the link has carried what it was given
};

}  // namespace tz::emulator
