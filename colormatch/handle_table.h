// A process-wide table that hands out small non-zero 32-bit handles for
// shared objects. All tables draw their handles from one counter, so a handle
// of one kind is never valid as a handle of another kind. Handles are not
// reused until the counter wraps, so a stale handle fails cleanly instead of
// reaching a newer object.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <utility>

namespace tzcm {

// Next handle from the shared counter; never 0. Thread-safe.
std::uint32_t next_handle() noexcept;

template <class T>
class HandleTable {
public:
    // Stores the object and returns its handle; 0 if storing failed.
    std::uint32_t insert(std::shared_ptr<T> object) noexcept {
        if (!object) {
            return 0;
        }
        try {
            std::lock_guard lock(mutex_);
            // A wrapped counter may meet an id that is still open; skip it.
            for (std::size_t attempt = 0; attempt <= entries_.size(); ++attempt) {
                std::uint32_t id = next_handle();
                if (entries_.find(id) == entries_.end()) {
                    entries_.emplace(id, std::move(object));
                    return id;
                }
            }
        } catch (...) {
        }
        return 0;
    }

    // The object behind a handle, or null for 0 and unknown handles. The
    // returned reference keeps the object alive even if the handle is
    // removed meanwhile.
    std::shared_ptr<T> find(std::uint32_t id) const noexcept {
        std::lock_guard lock(mutex_);
        auto it = entries_.find(id);
        return it == entries_.end() ? nullptr : it->second;
    }

    // Forgets a handle; false if it was not in the table.
    bool erase(std::uint32_t id) noexcept {
        std::shared_ptr<T> dropped; // released after the lock
        std::lock_guard lock(mutex_);
        auto it = entries_.find(id);
        if (it == entries_.end()) {
            return false;
        }
        dropped = std::move(it->second);
        entries_.erase(it);
        return true;
    }

private:
    mutable std::mutex mutex_;
    std::unordered_map<std::uint32_t, std::shared_ptr<T>> entries_;
};

} // namespace tzcm
