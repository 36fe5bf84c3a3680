// Named cross-process mutex: a Windows mutex object of that name. The system
// does everything the interface asks for: recursion by the owning thread,
// timed waits, and WAIT_ABANDONED for the next waiter when the owner ended
// without releasing it.
#include "platform/named_mutex.h"

#include "windows_api.h"

namespace tz::platform {
namespace {

// A backslash would name a namespace of the object manager.
std::string object_name(std::string_view name) {
    std::string text(name);
    for (char& c : text)
        if (c == '\\') c = '_';
    if (text.size() >= MAX_PATH) text.resize(MAX_PATH - 1);
    return text;
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
    HANDLE mutex = ::CreateMutexA(nullptr, FALSE, text.empty() ? nullptr : text.c_str());
    if (mutex == nullptr) return nullptr;
    return std::make_unique<WindowsNamedMutex>(mutex);
}

// The object goes with its last handle; there is nothing to remove.
void NamedMutex::remove(std::string_view) {}

}  // namespace tz::platform
