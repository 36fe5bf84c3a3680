// The printers this library lists: those the USB bridge serves for real USB
// printers first, then the virtual printers, each set in its folder's order.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include "socket_folder_backend.h"

namespace tz::usbctrl {
namespace {

constexpr char kBridgeFolder[] = "/run/tz5170";

// Once per process, unless TZ5170_QUIET=1: why real printers are missing.
void tell_unreadable_bridge_folder(const std::string& folder, const std::string& reason) {
    static std::atomic<bool> told{false};
    const char* quiet = std::getenv("TZ5170_QUIET");
    if ((quiet != nullptr && std::strcmp(quiet, "1") == 0) || told.exchange(true)) return;
    std::fprintf(stderr,
                 "libTZ5170UsbCtrl: cannot read %s (%s), so no USB printer is listed: the user must be in the "
                 "group lp, which the udev rule 60-tz5170.rules gives the printers and the bridge folder to "
                 "(TZ5170_QUIET=1 silences this)\n",
                 folder.c_str(), reason.c_str());
}

class CombinedBackend : public Backend {
public:
    CombinedBackend()
        : bridge_("TZ5170_USB_DIR", kBridgeFolder, tell_unreadable_bridge_folder), virtual_("TZ5170_EMULATOR", "") {}

    std::vector<std::string> scan() override {
        std::vector<std::string> keys = bridge_.scan();
        const size_t bridged = keys.size();
        // One folder named twice lists its printers once.
        if (virtual_.folder() != bridge_.folder()) {
            std::vector<std::string> more = virtual_.scan();
            keys.insert(keys.end(), more.begin(), more.end());
        }
        source_.clear();
        for (size_t i = 0; i < keys.size(); ++i) source_[keys[i]] = i < bridged ? &bridge_ : &virtual_;
        return keys;
    }

    std::unique_ptr<Device> open(const std::string& key) override {
        auto found = source_.find(key);
        return found != source_.end() ? found->second->open(key) : nullptr;
    }

private:
    SocketFolderBackend bridge_;
    SocketFolderBackend virtual_;
    std::map<std::string, SocketFolderBackend*> source_;  // key -> the folder it was found in
};

}  // namespace

std::unique_ptr<Backend> make_backend_from_environment() { return std::make_unique<CombinedBackend>(); }

}  // namespace tz::usbctrl
