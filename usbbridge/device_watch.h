// Which TARVO 5170 printers are on the bus: those there at the start and
// those that come and go later, through libusb's hot-plug callbacks (or, on a
// system without them, by looking again every second).
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "usb_context.h"

namespace tz::usbbridge {

struct DeviceEvent {
    bool arrived = false;  // else it left
    DeviceRef device;
};

class DeviceWatch {
public:
    explicit DeviceWatch(UsbContext& context) : context_(context) {}
    ~DeviceWatch();
    DeviceWatch(const DeviceWatch&) = delete;
    DeviceWatch& operator=(const DeviceWatch&) = delete;

    // Starts watching; the printers already there arrive with the first take().
    bool start(std::string* error);
    // What happened since the last call, in order. Callbacks only queue: devices
    // are opened and closed by the caller, outside libusb's event handling.
    std::vector<DeviceEvent> take();
    // How long the caller may wait before take() must run again.
    int wait_limit_ms(int limit_ms) const;

private:
    static int on_hotplug(libusb_context*, libusb_device* device, libusb_hotplug_event event, void* self);
    void rescan();

    UsbContext& context_;
    bool hotplug_ = false;
    libusb_hotplug_callback_handle handle_{};
    std::vector<DeviceEvent> pending_;
    std::vector<DeviceRef> present_;  // without hot-plug: what the last look found
    std::chrono::steady_clock::time_point next_scan_{};
};

}  // namespace tz::usbbridge
