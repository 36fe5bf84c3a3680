#include "usb_binding.h"

#include "entry_points.h"
#include "platform/system_names.h"

namespace tz::lib {

bool UsbBinding::bind() {
    if (loaded_) return true;
    api_ = UsbApi{};
    module_ = platform::DynamicLibrary::load(platform::shared_library_file(kUsbLibraryName));
    if (!module_.loaded()) return false;
    bool all = lookup(module_, "SDKUsb_Open", api_.Open) && lookup(module_, "SDKUsb_OpenEx", api_.OpenEx) &&
               lookup(module_, "SDKUsb_Close", api_.Close) &&
               lookup(module_, "SDKUsb_GetDeviceHandle", api_.GetDeviceHandle) &&
               lookup(module_, "SDKUsb_GetDeviceName", api_.GetDeviceName) &&
               lookup(module_, "SDKUsb_GetDeviceIDString", api_.GetDeviceIDString) &&
               lookup(module_, "SDKUsb_GetPipeHandle", api_.GetPipeHandle) &&
               lookup(module_, "SDKUsb_ClosePipe", api_.ClosePipe) &&
               lookup(module_, "SDKUsb_AbortPipe", api_.AbortPipe) &&
               lookup(module_, "SDKUsb_ResetPipe", api_.ResetPipe) &&
               lookup(module_, "SDKUsb_CheckDeviceName", api_.CheckDeviceName) &&
               lookup(module_, "SDKUsb_CheckDevice", api_.CheckDevice) &&
               lookup(module_, "SDKUsb_ResetDevice", api_.ResetDevice);
    if (!all) {
        api_ = UsbApi{};
        module_.close();
        return false;
    }
    loaded_ = true;
    return true;
}

void UsbBinding::unbind() {
    if (!loaded_) return;
    loaded_ = false;
    api_ = UsbApi{};
    module_.close();
}

}  // namespace tz::lib
