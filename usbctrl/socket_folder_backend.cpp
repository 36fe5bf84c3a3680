#include "socket_folder_backend.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "link/hello.h"
#include "link/socket_names.h"
#include "platform/local_socket.h"

namespace tz::usbctrl {
namespace {

namespace fs = std::filesystem;
using platform::IoStatus;
using platform::LocalSocket;
using platform::SocketKind;

// How long a printer may take to describe itself after a connection.
constexpr uint32_t kHelloTimeoutMs = 2000;

bool is_socket_name(const fs::path& path) {
    return path.extension() == link::kSocketSuffix;
}

// A short text that tells printers with the same serial in different folders apart.
std::string folder_tag(const std::string& socket_path) {
    std::error_code ec;
    std::string folder = fs::weakly_canonical(fs::path(socket_path).parent_path(), ec).string();
    uint32_t hash = 2166136261u;
    for (unsigned char c : folder) hash = (hash ^ c) * 16777619u;
    char text[16];
    std::snprintf(text, sizeof text, "%08x", hash);
    return text;
}

class VirtualDevice : public Device {
public:
    VirtualDevice(LocalSocket connection, DeviceInfo info)
        : connection_(std::move(connection)), info_(std::move(info)) {}

    const DeviceInfo& info() const override { return info_; }

    int open_pipe(uint8_t pipe_number) override {
        if (pipe_number > 1) return -1;
        return connection_.duplicate();
    }

    bool attached() const override { return !connection_.peer_closed(); }

    void disconnect() override { connection_.shutdown(); }

private:
    LocalSocket connection_;
    DeviceInfo info_;
};

}  // namespace

std::string SocketFolderBackend::folder() const {
    const char* env = std::getenv(variable_.c_str());
    return env != nullptr ? env : fallback_;
}

std::vector<std::string> SocketFolderBackend::scan() {
    std::vector<std::string> keys;
    std::string dir = folder();
    std::error_code ec;
    if (dir.empty() || !fs::is_directory(dir, ec)) return keys;
    fs::directory_iterator items(dir, ec);
    if (ec) {
        if (unreadable_ != nullptr) unreadable_(dir, ec.message());
        return keys;
    }
    // Stepped with an error code: a folder changing under the scan must not throw.
    for (; !ec && items != fs::directory_iterator(); items.increment(ec)) {
        // A socket file left by a printer that ended abruptly keeps its
        // number, and opening it fails: looking for a listener here would
        // cost a connection to every printer at every look.
        if (!is_socket_name(items->path()) || !platform::local_socket_exists(items->path().string())) continue;
        keys.push_back(items->path().string());
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

std::unique_ptr<Device> SocketFolderBackend::open(const std::string& key) {
    LocalSocket connection = LocalSocket::connect(key, SocketKind::Message);
    if (!connection.valid()) return nullptr;
    uint8_t buffer[link::kHelloWithInstanceSize + 1];
    platform::IoResult got = connection.receive(buffer, sizeof buffer, kHelloTimeoutMs);
    if (got.status != IoStatus::Ok) return nullptr;
    std::optional<link::Hello> hello = link::decode_hello(buffer, got.bytes);
    if (!hello) return nullptr;
    DeviceInfo info;
    info.vendor_id = hello->vendor_id;
    info.product_id = hello->product_id;
    // A printer behind the USB bridge names itself (bus, ports and serial).
    info.instance = !hello->instance.empty()
                        ? hello->instance
                        : "TZEMU-" + folder_tag(key) + "-" + std::string(hello->serial.data(), hello->serial.size());
    std::copy(hello->id_string.begin(), hello->id_string.end(), info.id_string.begin());
    return std::make_unique<VirtualDevice>(std::move(connection), std::move(info));
}

}  // namespace tz::usbctrl
