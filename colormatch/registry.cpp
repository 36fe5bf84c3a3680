#include "registry.h"

#include <atomic>

namespace tzcm {

std::uint32_t next_handle() noexcept {
    static std::atomic<std::uint32_t> counter{0};
    std::uint32_t id;
    do {
        id = counter.fetch_add(1, std::memory_order_relaxed) + 1;
    } while (id == 0);
    return id;
}

// Touching the LittleCMS context first makes it outlive the tables, whose
// profiles and transforms belong to it.
Registry::Registry() noexcept { (void)lcms_context(); }

Registry &registry() noexcept {
    static Registry instance;
    return instance;
}

} // namespace tzcm
