// The libusb context of the bridge, driven from the bridge's poll loop: the
// loop watches the descriptors libusb names and lets libusb handle what
// happened without ever blocking.
#pragma once

#include <libusb.h>

#include <string>
#include <vector>

#include "platform/event_poll.h"

namespace tz::usbbridge {

class UsbContext {
public:
    UsbContext() = default;
    ~UsbContext();
    UsbContext(const UsbContext&) = delete;
    UsbContext& operator=(const UsbContext&) = delete;

    bool open(std::string* error);
    libusb_context* get() const { return context_; }

    // The descriptors libusb wants watched, appended to `entries`.
    void add_poll_entries(std::vector<platform::PollEntry>& entries) const;
    // The longest the loop may wait before libusb must run, at most `limit_ms`.
    int wait_limit_ms(int limit_ms) const;
    // Runs completions, time-outs and hot-plug callbacks that are due; never waits.
    void handle_events() const;
    // The same, waiting at most `wait_ms` for something to happen.
    void handle_events_for(int wait_ms) const;

private:
    libusb_context* context_ = nullptr;
};

// One reference to a libusb device.
class DeviceRef {
public:
    DeviceRef() = default;
    explicit DeviceRef(libusb_device* device) : device_(device != nullptr ? libusb_ref_device(device) : nullptr) {}
    ~DeviceRef() { reset(); }
    DeviceRef(const DeviceRef& other) : DeviceRef(other.device_) {}
    DeviceRef& operator=(const DeviceRef& other) {
        if (this != &other) {
            reset();
            device_ = other.device_ != nullptr ? libusb_ref_device(other.device_) : nullptr;
        }
        return *this;
    }
    void reset() {
        if (device_ != nullptr) libusb_unref_device(device_);
        device_ = nullptr;
    }
    libusb_device* get() const { return device_; }

private:
    libusb_device* device_ = nullptr;
};

}  // namespace tz::usbbridge
