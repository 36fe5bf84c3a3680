// Loading a shared library by file name and looking up its entry points.
#pragma once

#include <string>

namespace tz::platform {

// Owns one reference to a loaded shared library; the reference is dropped
// when the object is destroyed or close() is called.
class DynamicLibrary {
public:
    DynamicLibrary() = default;
    ~DynamicLibrary();
    DynamicLibrary(DynamicLibrary&& other) noexcept;
    DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    // Loads `file_name` with the system's normal search (a bare name is looked
    // up through LD_LIBRARY_PATH, the caller's RUNPATH and the system folders).
    // Returns an unloaded object on failure; error() then tells why.
    static DynamicLibrary load(const std::string& file_name);

    bool loaded() const { return handle_ != nullptr; }
    // Address of an exported name, or nullptr when the library lacks it.
    void* symbol(const char* name) const;
    void close();
    const std::string& error() const { return error_; }

private:
    void* handle_ = nullptr;
    std::string error_;
};

}  // namespace tz::platform
