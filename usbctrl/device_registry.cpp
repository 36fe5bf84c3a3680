#include "device_registry.h"

#include <cstring>
#include <vector>

#include "device_name.h"
#include "platform/pipe_io.h"

namespace tz::usbctrl {

DeviceRegistry::DeviceRegistry(std::unique_ptr<Backend> backend) : backend_(std::move(backend)) {}

void DeviceRegistry::set_backend(std::unique_ptr<Backend> backend) {
    std::lock_guard guard(lock_);
    backend_ = std::move(backend);
}

DeviceRegistry::Entry* DeviceRegistry::entry(int handle) {
    if (handle < 0 || handle >= kMaxHandles) return nullptr;
    Entry& e = entries_[static_cast<size_t>(handle)];
    return e.device ? &e : nullptr;
}

int DeviceRegistry::open(uint16_t device_number) {
    std::lock_guard guard(lock_);
    if (!backend_) return -1;
    std::vector<std::string> keys = backend_->scan();
    if (device_number >= keys.size()) return -1;
    for (int h = 0; h < kMaxHandles; ++h) {
        Entry& e = entries_[static_cast<size_t>(h)];
        if (e.device) continue;
        std::unique_ptr<Device> device = backend_->open(keys[device_number]);
        if (!device) return -1;
        e.key = keys[device_number];
        e.device = std::move(device);
        return h;
    }
    return -1;  // every handle is in use
}

bool DeviceRegistry::close(int handle) {
    std::unique_ptr<Device> device;
    {
        std::lock_guard guard(lock_);
        Entry* e = entry(handle);
        if (e == nullptr) return false;
        device = std::move(e->device);
        e->key.clear();
        // Pipes whose owner gave up on them (a transfer that timed out is
        // never closed by its owner) would otherwise stay open for good.
        for (auto it = pipes_.begin(); it != pipes_.end();) {
            if (it->second == handle) {
                platform::close_pipe(it->first);
                it = pipes_.erase(it);
            } else {
                ++it;
            }
        }
    }
    device->disconnect();
    return true;
}

int DeviceRegistry::find_open(uint16_t device_number) {
    std::lock_guard guard(lock_);
    if (!backend_) return -1;
    std::vector<std::string> keys = backend_->scan();
    if (device_number >= keys.size()) return -1;
    for (int h = 0; h < kMaxHandles; ++h) {
        Entry& e = entries_[static_cast<size_t>(h)];
        if (e.device && e.key == keys[device_number] && e.device->attached()) return h;
    }
    return -1;
}

bool DeviceRegistry::device_name(int handle, char* name, size_t size) {
    if (name == nullptr || size == 0) return false;
    std::lock_guard guard(lock_);
    Entry* e = entry(handle);
    if (e == nullptr) return false;
    const DeviceInfo& info = e->device->info();
    std::string text = make_device_name(info.vendor_id, info.product_id, info.instance);
    if (text.size() >= size) return false;
    std::memcpy(name, text.c_str(), text.size() + 1);
    return true;
}

bool DeviceRegistry::id_string(int handle, uint8_t* buffer, uint32_t* size) {
    if (buffer == nullptr || size == nullptr) return false;
    std::lock_guard guard(lock_);
    Entry* e = entry(handle);
    if (e == nullptr) return false;
    if (*size < kIdStringSize) {
        *size = kIdStringSize;  // tells the caller how much room it takes
        return false;
    }
    std::memcpy(buffer, e->device->info().id_string.data(), kIdStringSize);
    *size = kIdStringSize;
    return true;
}

intptr_t DeviceRegistry::pipe(int handle, uint8_t pipe_number) {
    std::lock_guard guard(lock_);
    Entry* e = entry(handle);
    if (e == nullptr) return -1;
    int fd = e->device->open_pipe(pipe_number);
    if (fd < 0) return -1;
    pipes_[fd] = handle;
    return fd;
}

bool DeviceRegistry::close_pipe(intptr_t pipe) {
    std::lock_guard guard(lock_);
    // Only descriptors this library handed out are closed: anything else
    // belongs to someone else in the process.
    auto it = pipe >= 0 && pipe <= INT32_MAX ? pipes_.find(static_cast<int>(pipe)) : pipes_.end();
    if (it == pipes_.end()) return false;
    platform::close_pipe(it->first);
    pipes_.erase(it);
    return true;
}

bool DeviceRegistry::attached(int handle) {
    std::lock_guard guard(lock_);
    Entry* e = entry(handle);
    return e != nullptr && e->device->attached();
}

DeviceRegistry& registry() {
    static DeviceRegistry instance(make_backend_from_environment());
    return instance;
}

}  // namespace tz::usbctrl
