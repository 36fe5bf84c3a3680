#include "platform/dynamic_library.h"

#include <dlfcn.h>

#include <utility>

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

DynamicLibrary DynamicLibrary::load(const std::string& file_name) {
    DynamicLibrary library;
    if (file_name.empty()) {  // dlopen("") would hand back the main program
        library.error_ = "empty library name";
        return library;
    }
    library.handle_ = ::dlopen(file_name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library.handle_ == nullptr) {
        const char* why = ::dlerror();
        library.error_ = why != nullptr ? why : "cannot load " + file_name;
    }
    return library;
}

void* DynamicLibrary::symbol(const char* name) const {
    if (handle_ == nullptr) return nullptr;
    return ::dlsym(handle_, name);
}

void DynamicLibrary::close() {
    if (handle_ != nullptr) {
        ::dlclose(handle_);
        handle_ = nullptr;
    }
}

}  // namespace tz::platform
