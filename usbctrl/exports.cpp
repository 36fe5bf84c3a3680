// The C entry points of the USB control library: thin forwarders to the
// device registry of this process.
#include "usbctrl/sdkusb.h"

#include "device_registry.h"
#include "platform/export.h"

using tz::usbctrl::registry;

namespace {
constexpr size_t kDeviceNameSize = 260;
}

TZ_EXPORT int SDKUsb_Open(uint16_t device_number) {
    try {
        return registry().open(device_number);
    } catch (...) {
        return -1;
    }
}

TZ_EXPORT int SDKUsb_OpenEx(uint16_t device_number, uint32_t /*flags*/) { return SDKUsb_Open(device_number); }

TZ_EXPORT int SDKUsb_Close(int device_handle) {
    try {
        return registry().close(device_handle) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

TZ_EXPORT int SDKUsb_GetDeviceHandle(uint16_t device_number) { return SDKUsb_CheckDeviceName(device_number); }

TZ_EXPORT int SDKUsb_GetDeviceName(int device_handle, char* name) {
    try {
        return registry().device_name(device_handle, name, kDeviceNameSize) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

TZ_EXPORT int SDKUsb_GetDeviceIDString(int device_handle, uint8_t* buffer, uint32_t* size) {
    try {
        return registry().id_string(device_handle, buffer, size) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

TZ_EXPORT intptr_t SDKUsb_GetPipeHandle(int device_handle, int /*reserved*/, uint8_t pipe_number, int /*reserved2*/) {
    try {
        return registry().pipe(device_handle, pipe_number);
    } catch (...) {
        return -1;
    }
}

TZ_EXPORT int SDKUsb_ClosePipe(intptr_t pipe) {
    try {
        return registry().close_pipe(pipe) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

// Transfers on a virtual printer cannot be half-done, so there is nothing to
// abort or reset on a pipe or device: these report success for a known handle.
TZ_EXPORT int SDKUsb_AbortPipe(intptr_t pipe) { return pipe >= 0 ? 1 : 0; }

TZ_EXPORT int SDKUsb_ResetPipe(intptr_t pipe) { return pipe >= 0 ? 1 : 0; }

TZ_EXPORT int SDKUsb_CheckDeviceName(uint16_t device_number) {
    try {
        return registry().find_open(device_number);
    } catch (...) {
        return -1;
    }
}

TZ_EXPORT int SDKUsb_CheckDevice(int device_handle) {
    try {
        return registry().attached(device_handle) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

TZ_EXPORT int SDKUsb_ResetDevice(int device_handle) { return SDKUsb_CheckDevice(device_handle); }
