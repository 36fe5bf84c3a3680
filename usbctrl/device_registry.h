// The devices this library has opened: handles 0..127, their pipes.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <map>
#include <string>

#include "backend.h"

namespace tz::usbctrl {

inline constexpr int kMaxHandles = 128;

class DeviceRegistry {
public:
    explicit DeviceRegistry(std::unique_ptr<Backend> backend);

    int open(uint16_t device_number);
    // Ends the connection and closes every pipe of the device still open.
    bool close(int handle);
    // The handle of device `device_number` when it is open here and still attached.
    int find_open(uint16_t device_number);
    bool device_name(int handle, char* name, size_t size);
    bool id_string(int handle, uint8_t* buffer, uint32_t* size);
    intptr_t pipe(int handle, uint8_t pipe_number);
    // Closes a descriptor this library handed out; anything else (one it
    // already reclaimed, one it never gave) is left alone: false.
    bool close_pipe(intptr_t pipe);
    bool attached(int handle);

    // Swaps the backend (tests); closes nothing.
    void set_backend(std::unique_ptr<Backend> backend);

private:
    struct Entry {
        std::string key;
        std::unique_ptr<Device> device;
    };

    Entry* entry(int handle);  // caller holds lock_

    std::mutex lock_;
    std::unique_ptr<Backend> backend_;
    std::array<Entry, kMaxHandles> entries_;
    // Descriptors handed out and not yet closed, with the handle of their
    // device: closing a device reclaims the ones its user never closed.
    std::map<int, int> pipes_;
};

// The registry of this process, created on first use from the environment.
DeviceRegistry& registry();

}  // namespace tz::usbctrl
