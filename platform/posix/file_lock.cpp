// flock() locks belong to the open file description, so two opens of the same
// file in one process are two holders, and a descriptor inherited by a forked
// child shares its parent's lock (O_CLOEXEC keeps it out of programs the
// process starts).
//
// Removing the file on release leaves a window: a contender may have opened
// the old file just before it went and gets the lock on it once the holder
// closes it. So whoever takes the lock checks that the path still names the
// file it locked, and starts over when it does not.
#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace tz::platform {
namespace {

// Each new attempt needs a holder that released in between; this many in a
// row means something else keeps removing the file.
constexpr int kAttempts = 64;

int lock_now(int fd) {
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    return rc == 0 ? 0 : errno;
}

// Does `path` still name the file open at `fd`?
bool still_named(int fd, const std::string& path) {
    struct stat opened {};
    struct stat named {};
    if (::fstat(fd, &opened) != 0 || ::stat(path.c_str(), &named) != 0) return false;
    return opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

}  // namespace

FileLock::~FileLock() { release(); }

FileLock::FileLock(FileLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        release();
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::move(other.path_);
    }
    return *this;
}

FileLock FileLock::try_lock(const std::string& path, LockStatus* status) {
    LockStatus outcome = LockStatus::Failed;
    FileLock lock;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        int fd;
        do {
            fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0) break;
        const int error = lock_now(fd);
        if (error == 0 && still_named(fd, path)) {
            lock.fd_ = fd;
            lock.path_ = path;
            outcome = LockStatus::Locked;
            break;
        }
        ::close(fd);
        if (error == EWOULDBLOCK) {
            outcome = LockStatus::Held;
            break;
        }
        if (error != 0) break;
        // Locked a file its former holder had just removed: try the new one.
    }
    if (status) *status = outcome;
    return lock;
}

void FileLock::release() {
    if (fd_ >= 0) {
        // Only while the path is still ours: someone may have removed the file
        // and a new holder locked a new one there.
        if (still_named(fd_, path_)) ::unlink(path_.c_str());
        ::close(fd_);
        fd_ = -1;
    }
    path_.clear();
}

}  // namespace tz::platform
