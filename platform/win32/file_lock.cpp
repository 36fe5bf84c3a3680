// An exclusive lock on a file: the file opened with no sharing at all, and
// deleted by the system when its handle closes (also when the process is
// killed). Another holder's attempt to open it is refused as a sharing
// violation, which is exactly "held".
#include "platform/file_lock.h"

#include <utility>

#include "windows_api.h"

namespace tz::platform {

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
    FileLock lock;
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (status != nullptr)
            *status = error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ? LockStatus::Held
                                                                                      : LockStatus::Failed;
        return lock;
    }
    lock.fd_ = static_cast<int>(win32::from_handle(h));
    lock.path_ = path;
    if (status != nullptr) *status = LockStatus::Locked;
    return lock;
}

void FileLock::release() {
    if (fd_ >= 0) {
        ::CloseHandle(win32::to_handle(fd_));  // the system deletes the file
        fd_ = -1;
    }
    path_.clear();
}

}  // namespace tz::platform
