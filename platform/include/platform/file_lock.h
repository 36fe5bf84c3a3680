// An exclusive lock on a file that names something only one process may own
// at a time (e.g. a printer serial in a socket folder). The lock goes with the
// process: when it ends, even by SIGKILL, the system releases it.
#pragma once

#include <string>

namespace tz::platform {

enum class LockStatus {
    Locked,  // the caller holds the lock
    Held,    // another holder has it
    Failed,  // the file cannot be opened or created
};

// Owns one locked file. Each try_lock() is a holder of its own, also within
// one process. Releasing removes the file while the lock is still held, so a
// contender that opened the old file finds out and tries the new one.
class FileLock {
public:
    FileLock() = default;
    ~FileLock();
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Opens or creates the file at `path` and takes the lock without waiting;
    // an invalid object when another holder has it or the file cannot be made.
    static FileLock try_lock(const std::string& path, LockStatus* status = nullptr);

    bool valid() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }
    // Removes the file and lets the lock go. Safe to call twice.
    void release();

private:
    int fd_ = -1;
    std::string path_;
};

}  // namespace tz::platform
