// Devices served as message sockets in a folder, one per printer: by virtual
// printers (the folder named by TZ5170_EMULATOR) or by the USB bridge for
// real printers (/run/tz5170, or the folder named by TZ5170_USB_DIR).
#pragma once

#include <string>

#include "backend.h"

namespace tz::usbctrl {

// What a folder that exists but cannot be read gets: called with the folder
// and the reason.
using UnreadableFolder = void (*)(const std::string& folder, const std::string& reason);

class SocketFolderBackend : public Backend {
public:
    // The folder named by the environment variable `variable` (read at
    // every scan, so that a process may point the library elsewhere), or
    // `fallback` when it is not set. An empty folder lists nothing.
    SocketFolderBackend(std::string variable, std::string fallback, UnreadableFolder unreadable = nullptr)
        : variable_(std::move(variable)), fallback_(std::move(fallback)), unreadable_(unreadable) {}

    std::vector<std::string> scan() override;
    std::unique_ptr<Device> open(const std::string& key) override;

    std::string folder() const;

private:
    std::string variable_;
    std::string fallback_;
    UnreadableFolder unreadable_;
};

}  // namespace tz::usbctrl
