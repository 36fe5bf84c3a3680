// tz5170-list-devices: lists the printers the USB control library sees, with
// their device names and serials, the way the printer-control library finds them.
#include <cstdio>
#include <cstring>

#include "platform/dynamic_library.h"
#include "usbctrl/sdkusb.h"

namespace {

template <typename F>
bool bind(const tz::platform::DynamicLibrary& library, const char* name, F*& entry) {
    entry = reinterpret_cast<F*>(library.symbol(name));
    if (entry == nullptr) std::fprintf(stderr, "libTZ5170UsbCtrl.so lacks %s\n", name);
    return entry != nullptr;
}

}  // namespace

int main() {
    auto library = tz::platform::DynamicLibrary::load("libTZ5170UsbCtrl.so");
    if (!library.loaded()) {
        std::fprintf(stderr, "cannot load libTZ5170UsbCtrl.so: %s\n", library.error().c_str());
        return 1;
    }
    decltype(&SDKUsb_Open) open_device;
    decltype(&SDKUsb_Close) close_device;
    decltype(&SDKUsb_GetDeviceName) device_name;
    decltype(&SDKUsb_GetDeviceIDString) id_string;
    if (!bind(library, "SDKUsb_Open", open_device) || !bind(library, "SDKUsb_Close", close_device) ||
        !bind(library, "SDKUsb_GetDeviceName", device_name) ||
        !bind(library, "SDKUsb_GetDeviceIDString", id_string))
        return 1;

    int found = 0;
    for (uint16_t number = 0; number < 128; ++number) {
        int handle = open_device(number);
        if (handle < 0) continue;
        char name[260] = {};
        uint8_t id[260] = {};
        uint32_t size = sizeof id;
        device_name(handle, name);
        if (id_string(handle, id, &size) == 1) {
            std::printf("device %u: handle %d serial %.8s name %s\n", number, handle,
                        reinterpret_cast<const char*>(id + 110), name);
            ++found;
        }
        close_device(handle);
    }
    std::printf("%d printer(s) found\n", found);
    return 0;
}
