// Where devices come from: the virtual printers of a folder, or real USB.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tz::usbctrl {

inline constexpr size_t kIdStringSize = 260;

struct DeviceInfo {
    uint16_t vendor_id = 0;
    uint16_t product_id = 0;
    std::string instance;  // unique per printer; no '#' in it
    std::array<uint8_t, kIdStringSize> id_string{};
};

// One opened device. Destroying it ends the connection.
class Device {
public:
    virtual ~Device() = default;
    virtual const DeviceInfo& info() const = 0;
    // A new descriptor for pipe 0 (to the printer) or 1 (from the printer);
    // the caller owns it. -1 when there is no such pipe.
    virtual int open_pipe(uint8_t pipe_number) = 0;
    // false once the device has left the bus.
    virtual bool attached() const = 0;
    // Ends all transfers on the device's pipes (blocked readers wake up);
    // the descriptors handed out stay valid until their owners close them.
    virtual void disconnect() = 0;
};

class Backend {
public:
    virtual ~Backend() = default;
    // The devices present now, in a stable order: device number j is
    // element j. A key names one printer and stays the same across unplugging.
    virtual std::vector<std::string> scan() = 0;
    virtual std::unique_ptr<Device> open(const std::string& key) = 0;
};

// The printers of the environment: those the USB bridge serves in
// /run/tz5170 (or the folder TZ5170_USB_DIR names) first, then the virtual
// printers of the folder TZ5170_EMULATOR names, when it is set.
std::unique_ptr<Backend> make_backend_from_environment();

}  // namespace tz::usbctrl
