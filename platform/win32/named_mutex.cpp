// Named cross-process mutex: a Windows mutex object of that name. The system
// does everything the interface asks for: recursion by the owning thread,
// timed waits, and WAIT_ABANDONED for the next waiter when the owner ended
// without releasing it.
#include "platform/named_mutex.h"

#include "../name_hash.h"
#include "windows_api.h"

namespace tz::platform {
namespace {

// Longest name used as it is, and how much of an unusual name a hashed one
// keeps for people reading the object manager's list.
constexpr size_t kMaxPlainLength = 200;
constexpr size_t kHashedKeepLength = 100;
constexpr std::string_view kHashedPrefix = "tz5170-mutex.h.";

// Most names are used as they are, so that every program naming a printer's
// mutex the same way meets the same object. A name that the system would
// take differently (a backslash names a namespace of the object manager,
// the text ends at a NUL, MAX_PATH is the limit), an empty one, or one that
// looks like our own hashed form becomes "tz5170-mutex.h.<hash>.<start>":
// distinct names stay distinct (up to the 64-bit hash).
std::string object_name(std::string_view name) {
    const bool plain = !name.empty() && name.size() <= kMaxPlainLength &&
                       name.find_first_of(std::string_view("\\\0", 2)) == std::string_view::npos &&
                       name.substr(0, kHashedPrefix.size()) != kHashedPrefix;
    if (plain) return std::string(name);
    std::string result(kHashedPrefix);
    result += hash_text(name);
    result.push_back('.');
    for (char c : name.substr(0, kHashedKeepLength)) result.push_back(c == '\\' || c == '\0' ? '_' : c);
    return result;
}

class WindowsNamedMutex final : public NamedMutex {
public:
    explicit WindowsNamedMutex(HANDLE mutex) : mutex_(mutex) {}

    WaitResult wait(uint32_t timeout_ms) override {
        switch (::WaitForSingleObject(mutex_.get(), timeout_ms)) {
            case WAIT_OBJECT_0:
                return WaitResult::Obtained;
            case WAIT_ABANDONED:
                return WaitResult::Abandoned;
            case WAIT_TIMEOUT:
                return WaitResult::TimedOut;
            default:
                return WaitResult::Failed;
        }
    }

    bool release() override { return ::ReleaseMutex(mutex_.get()) != FALSE; }

private:
    win32::OwnedHandle mutex_;
};

}  // namespace

std::unique_ptr<NamedMutex> NamedMutex::open(std::string_view name) {
    const std::string text = object_name(name);
    HANDLE mutex = ::CreateMutexA(nullptr, FALSE, text.c_str());
    if (mutex == nullptr) return nullptr;
    return std::make_unique<WindowsNamedMutex>(mutex);
}

// The object goes with its last handle; there is nothing to remove.
void NamedMutex::remove(std::string_view) {}

}  // namespace tz::platform
