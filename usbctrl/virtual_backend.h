// Devices served by virtual printers: one message socket per printer in the
// folder named by TZ5170_EMULATOR.
#pragma once

#include <string>

#include "backend.h"

namespace tz::usbctrl {

class VirtualBackend : public Backend {
public:
    // Reads the folder from TZ5170_EMULATOR at every scan, so that a process
    // may point the library at another set of printers.
    VirtualBackend() = default;
    // A fixed folder.
    explicit VirtualBackend(std::string folder) : folder_(std::move(folder)) {}

    std::vector<std::string> scan() override;
    std::unique_ptr<Device> open(const std::string& key) override;

private:
    std::string folder() const;
    std::string folder_;
};

}  // namespace tz::usbctrl
