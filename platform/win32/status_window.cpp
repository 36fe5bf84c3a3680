#include "platform/status_window.h"

#include "windows_api.h"

namespace tz::platform {
namespace {

// The module (DLL or program) this code was linked into.
HINSTANCE own_module() {
    HMODULE module = nullptr;
    ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCSTR>(&own_module), &module);
    return module;
}

}  // namespace

StatusWindow::StatusWindow() {
    HWND window = ::CreateWindowExA(0, "STATIC", "", 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                    nullptr, nullptr, own_module(), nullptr);
    if (window == nullptr) return;  // no window station: the monitor works without it
    ::ShowWindow(window, SW_HIDE);
    ::UpdateWindow(window);
    window_ = window;
}

StatusWindow::~StatusWindow() {
    if (window_ != nullptr) ::DestroyWindow(static_cast<HWND>(window_));
}

}  // namespace tz::platform
