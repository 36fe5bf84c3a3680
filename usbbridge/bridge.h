// The bridge service: every TARVO 5170 on the bus, each served on its socket,
// all from one loop thread until SIGTERM or SIGINT.
#pragma once

#include <string>

#include "printer_device.h"

namespace tz::usbbridge {

struct BridgeOptions {
    std::string folder = "/run/tz5170";
    DeviceTimeouts timeouts;
};

// Runs until a termination signal; the exit status (0 after a clean end, 1
// when the bridge could not start).
int run_bridge(const BridgeOptions& options);

}  // namespace tz::usbbridge
