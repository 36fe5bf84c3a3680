#include "platform/dynamic_library.h"

#include <utility>

#include "windows_api.h"

namespace tz::platform {

DynamicLibrary::~DynamicLibrary() { close(); }

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), error_(std::move(other.error_)) {}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept {
    if (this != &other) {
        close();
        handle_ = std::exchange(other.handle_, nullptr);
        error_ = std::move(other.error_);
    }
    return *this;
}

// LoadLibrary's own search: a module of that name already loaded, the
// program's folder, the system folders, the current folder, PATH.
DynamicLibrary DynamicLibrary::load(const std::string& file_name) {
    DynamicLibrary library;
    if (file_name.empty()) {
        library.error_ = "empty library name";
        return library;
    }
    // No "cannot find the DLL" box for a library that is missing.
    const UINT previous = ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    library.handle_ = ::LoadLibraryA(file_name.c_str());
    const DWORD error = ::GetLastError();
    ::SetErrorMode(previous);
    if (library.handle_ == nullptr) library.error_ = "cannot load " + file_name + " (error " + std::to_string(error) + ")";
    return library;
}

void* DynamicLibrary::symbol(const char* name) const {
    if (handle_ == nullptr || name == nullptr) return nullptr;
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(handle_), name));
}

void DynamicLibrary::close() {
    if (handle_ != nullptr) {
        ::FreeLibrary(static_cast<HMODULE>(handle_));
        handle_ = nullptr;
    }
}

}  // namespace tz::platform
