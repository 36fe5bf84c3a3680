// Giving the printers back when a context is released.
#pragma once

#include <cstdint>

namespace tz::platform {
class NamedMutex;
}

namespace tz::lib {

class PrinterContext;

// How long the monitor and enumeration wait for a printer that an operation
// may be using before they leave it for the next time.
inline constexpr uint32_t kPresenceWaitMs = 10;

// A short wait for a printer's mutex, released when it ends. No mutex: not held.
class DeviceMutexTry {
public:
    DeviceMutexTry(platform::NamedMutex* mutex, uint32_t timeout_ms);
    ~DeviceMutexTry();
    DeviceMutexTry(const DeviceMutexTry&) = delete;
    DeviceMutexTry& operator=(const DeviceMutexTry&) = delete;
    bool held() const { return held_; }

private:
    platform::NamedMutex* mutex_;
    bool held_ = false;
};

// Closes the device-table entries whose printers have gone (as the USB
// control library reports), each only while no operation holds it: its pipes
// by the pipe close rule, then the device. A context that selected such an
// entry finds its selection stale.
void sweep_devices(PrinterContext& context);

// Releases and drops every printer mutex of the device table below the
// context's scan range, clearing the serials.
void release_device_mutexes(PrinterContext& context);
// Closes every pipe and printer of the device table below the context's scan
// range; the table must be filled again afterwards.
void close_devices(PrinterContext& context);

}  // namespace tz::lib
