// The binding of the USB control library libTZ5170UsbCtrl.so.
#pragma once

#include <cstdint>

#include "platform/dynamic_library.h"

namespace tz::lib {

// The 13 entry points, all of which must exist.
struct UsbApi {
    int (*Open)(uint16_t device_number) = nullptr;
    int (*OpenEx)(uint16_t device_number, uint32_t flags) = nullptr;
    int (*Close)(int device_handle) = nullptr;
    int (*GetDeviceHandle)(uint16_t device_number) = nullptr;
    int (*GetDeviceName)(int device_handle, char* name) = nullptr;
    intptr_t (*GetPipeHandle)(int device_handle, int reserved, uint8_t pipe_number, int reserved2) = nullptr;
    int (*ClosePipe)(intptr_t pipe) = nullptr;
    int (*AbortPipe)(intptr_t pipe) = nullptr;
    int (*ResetPipe)(intptr_t pipe) = nullptr;
    int (*CheckDeviceName)(uint16_t device_number) = nullptr;
    int (*CheckDevice)(int device_handle) = nullptr;
    int (*ResetDevice)(int device_handle) = nullptr;
    int (*GetDeviceIDString)(int device_handle, uint8_t* buffer, uint32_t* size) = nullptr;
};

class UsbBinding {
public:
    // Loads the library by its bare name (the normal library search applies)
    // and binds every entry point; all or nothing. Already bound: true.
    bool bind();
    void unbind();
    bool loaded() const { return loaded_; }
    const UsbApi& api() const { return api_; }

private:
    platform::DynamicLibrary module_;
    bool loaded_ = false;
    UsbApi api_;
};

// The library's name; the file is the system's (libTZ5170UsbCtrl.so, TZ5170UsbCtrl.dll).
inline constexpr char kUsbLibraryName[] = "TZ5170UsbCtrl";

}  // namespace tz::lib
