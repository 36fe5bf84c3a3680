// The hidden window the library's status monitor keeps for its lifetime.
#pragma once

namespace tz::platform {

// On Windows: a window of the system class "STATIC" with an empty title, no
// style, default position and size, no parent, owned by the module that holds
// this code; hidden and updated once, destroyed with the object, by the
// thread that created it (no message loop runs). Elsewhere: nothing.
class StatusWindow {
public:
    StatusWindow();
    ~StatusWindow();
    StatusWindow(const StatusWindow&) = delete;
    StatusWindow& operator=(const StatusWindow&) = delete;

    bool created() const { return window_ != nullptr; }

private:
    void* window_ = nullptr;
};

}  // namespace tz::platform
