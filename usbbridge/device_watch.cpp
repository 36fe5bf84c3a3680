#include "device_watch.h"

#include <algorithm>
#include <utility>

#include "identity.h"
#include "log.h"

namespace tz::usbbridge {
namespace {

constexpr auto kScanInterval = std::chrono::seconds(1);

bool is_printer(libusb_device* device) {
    libusb_device_descriptor descriptor{};
    return libusb_get_device_descriptor(device, &descriptor) == LIBUSB_SUCCESS && descriptor.idVendor == kVendorId &&
           descriptor.idProduct == kProductId;
}

}  // namespace

DeviceWatch::~DeviceWatch() {
    if (hotplug_) libusb_hotplug_deregister_callback(context_.get(), handle_);
}

bool DeviceWatch::start(std::string* error) {
    if (libusb_has_capability(LIBUSB_CAP_HAS_HOTPLUG) == 0) {
        log_line("no hot-plug events on this system; looking for printers every second");
        rescan();
        return true;
    }
    const int rc = libusb_hotplug_register_callback(
        context_.get(),
        static_cast<libusb_hotplug_event>(LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED | LIBUSB_HOTPLUG_EVENT_DEVICE_LEFT),
        LIBUSB_HOTPLUG_ENUMERATE, kVendorId, kProductId, LIBUSB_HOTPLUG_MATCH_ANY, &DeviceWatch::on_hotplug, this,
        &handle_);
    if (rc != LIBUSB_SUCCESS) {
        if (error != nullptr) *error = std::string("hot-plug registration failed: ") + libusb_strerror(rc);
        return false;
    }
    hotplug_ = true;
    return true;
}

int DeviceWatch::on_hotplug(libusb_context*, libusb_device* device, libusb_hotplug_event event, void* self) {
    auto* watch = static_cast<DeviceWatch*>(self);
    watch->pending_.push_back({event == LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED, DeviceRef(device)});
    return 0;  // stay registered
}

std::vector<DeviceEvent> DeviceWatch::take() {
    if (!hotplug_ && std::chrono::steady_clock::now() >= next_scan_) rescan();
    return std::exchange(pending_, {});
}

int DeviceWatch::wait_limit_ms(int limit_ms) const {
    if (hotplug_) return limit_ms;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(next_scan_ - std::chrono::steady_clock::now());
    return static_cast<int>(std::clamp<long long>(left.count(), 0, limit_ms));
}

void DeviceWatch::rescan() {
    next_scan_ = std::chrono::steady_clock::now() + kScanInterval;
    libusb_device** list = nullptr;
    const ssize_t count = libusb_get_device_list(context_.get(), &list);
    if (count < 0) {
        log_line("cannot list USB devices: %s", libusb_strerror(static_cast<int>(count)));
        return;
    }
    std::vector<DeviceRef> now;
    for (ssize_t i = 0; i < count; ++i)
        if (is_printer(list[i])) now.emplace_back(list[i]);
    libusb_free_device_list(list, 1);
    auto contains = [](const std::vector<DeviceRef>& set, libusb_device* device) {
        return std::any_of(set.begin(), set.end(), [&](const DeviceRef& r) { return r.get() == device; });
    };
    for (const DeviceRef& old : present_)
        if (!contains(now, old.get())) pending_.push_back({false, old});
    for (const DeviceRef& item : now)
        if (!contains(present_, item.get())) pending_.push_back({true, item});
    present_ = std::move(now);
}

}  // namespace tz::usbbridge
