#include "bridge.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <list>
#include <memory>
#include <system_error>
#include <vector>

#include "device_watch.h"
#include "identity.h"
#include "log.h"
#include "platform/event_poll.h"
#include "platform/termination_signals.h"
#include "printer_socket.h"
#include "usb_context.h"

namespace tz::usbbridge {
namespace {

namespace fs = std::filesystem;
using platform::PollEntry;

// The loop wakes at least this often even when nothing happens.
constexpr int kLoopWakeMs = 500;
// A printer that could not be opened when it arrived is tried again: right
// after it appears its node may still lack the permissions udev gives it, or
// it may not answer yet.
constexpr auto kRetryInterval = std::chrono::seconds(1);
constexpr int kOpenAttempts = 5;

struct ServedPrinter {
    DeviceRef device;
    std::unique_ptr<PrinterDevice> usb;
    std::unique_ptr<PrinterSocket> socket;
};

class Bridge {
public:
    Bridge(const BridgeOptions& options, UsbContext& context) : options_(options), context_(context) {}
    ~Bridge() { stop_all(); }

    void on_event(const DeviceEvent& event) {
        auto served = std::find_if(printers_.begin(), printers_.end(),
                                   [&](const ServedPrinter& p) { return p.device.get() == event.device.get(); });
        auto retry = std::find_if(retries_.begin(), retries_.end(),
                                  [&](const Retry& r) { return r.device.get() == event.device.get(); });
        if (retry != retries_.end()) retries_.erase(retry);
        if (event.arrived && served == printers_.end())
            arrive(event.device, 1);
        else if (!event.arrived && served != printers_.end())
            remove(served, "left the bus");
    }

    void retry_due() {
        const auto now = std::chrono::steady_clock::now();
        std::vector<Retry> due;
        for (auto it = retries_.begin(); it != retries_.end();) {
            if (it->when <= now) {
                due.push_back(*it);
                it = retries_.erase(it);
            } else {
                ++it;
            }
        }
        for (const Retry& r : due) arrive(r.device, r.attempt);
    }

    int wait_limit_ms(int limit_ms) const {
        const auto now = std::chrono::steady_clock::now();
        for (const Retry& r : retries_) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(r.when - now).count();
            limit_ms = static_cast<int>(std::clamp<long long>(left, 0, limit_ms));
        }
        return limit_ms;
    }

    void add_poll_entries(std::vector<PollEntry>& entries) {
        for (ServedPrinter& p : printers_) p.socket->add_poll_entries(entries, p.usb->out_idle());
    }

    void handle(const std::vector<PollEntry>& entries) {
        for (ServedPrinter& p : printers_)
            p.socket->handle(entries, [&](std::vector<uint8_t> message) { p.usb->send(std::move(message)); });
    }

    // Printers that a transfer found gone lose their socket at once, before
    // the hot-plug event comes.
    void drop_gone() {
        for (auto it = printers_.begin(); it != printers_.end();) {
            auto next = std::next(it);
            if (it->usb->gone()) remove(it, "left the bus");
            it = next;
        }
    }

    void stop_all() {
        // Every socket first, so no opener waits on a printer being closed.
        for (ServedPrinter& p : printers_) p.socket->close();
        while (!printers_.empty()) remove(printers_.begin(), "released");
    }

private:
    struct Retry {
        DeviceRef device;
        int attempt = 0;
        std::chrono::steady_clock::time_point when;
    };

    void arrive(const DeviceRef& device, int attempt) {
        const unsigned bus = libusb_get_bus_number(device.get());
        const unsigned address = libusb_get_device_address(device.get());
        std::string error;
        std::unique_ptr<PrinterDevice> usb = PrinterDevice::open(context_, device.get(), options_.timeouts, &error);
        if (!usb) {
            if (attempt < kOpenAttempts) {
                log_line("printer at bus %u address %u not served yet: %s; trying again", bus, address,
                         error.c_str());
                retries_.push_back({device, attempt + 1, std::chrono::steady_clock::now() + kRetryInterval});
            } else {
                log_line("printer at bus %u address %u not served: %s (%d attempts)", bus, address, error.c_str(),
                         attempt);
            }
            return;
        }
        const PrinterDescription& d = usb->description();
        const bool taken = std::any_of(printers_.begin(), printers_.end(), [&](const ServedPrinter& p) {
            return p.usb->description().serial == d.serial;
        });
        if (taken) {
            log_line("printer at bus %u address %u not served: serial %s is served already", bus, address,
                     d.serial.c_str());
            return;
        }
        std::unique_ptr<PrinterSocket> socket =
            PrinterSocket::open(options_.folder, make_hello(d.serial, d.instance, d.id_string), &error);
        if (!socket) {
            log_line("printer %s not served: %s/%s.sock: %s", d.serial.c_str(), options_.folder.c_str(),
                     d.serial.c_str(), error.c_str());
            return;
        }
        PrinterSocket* to = socket.get();
        if (!usb->start([to](const uint8_t* data, size_t size) { to->deliver(data, size); })) {
            log_line("printer %s not served: its IN transfers cannot be submitted", d.serial.c_str());
            return;
        }
        log_line("printer %s (%s) served on %s%s", d.serial.c_str(), d.instance.c_str(), socket->path().c_str(),
                 d.device_id_from_printer ? "" : "; it gives no device ID, one is made up");
        printers_.push_back({device, std::move(usb), std::move(socket)});
    }

    void remove(std::list<ServedPrinter>::iterator it, const char* why) {
        const std::string serial = it->usb->description().serial;
        it->socket->close();
        it->usb->close();
        printers_.erase(it);
        log_line("printer %s %s", serial.c_str(), why);
    }

    const BridgeOptions& options_;
    UsbContext& context_;
    std::list<ServedPrinter> printers_;
    std::vector<Retry> retries_;
};

bool prepare_folder(const std::string& folder) {
    std::error_code ec;
    if (fs::is_directory(folder, ec)) return true;
    if (fs::create_directories(folder, ec) || fs::is_directory(folder, ec)) {
        // Made here rather than by the system's set-up: members of the group may connect.
        fs::permissions(folder, fs::perms::owner_all | fs::perms::group_all, ec);
        return true;
    }
    log_line("cannot create %s: %s", folder.c_str(), ec.message().c_str());
    return false;
}

}  // namespace

int run_bridge(const BridgeOptions& options) {
    // Before libusb starts its threads, so that they never take the signals.
    platform::TerminationSignals signals;
    if (!signals.valid()) {
        log_line("cannot watch for termination signals");
        return 1;
    }
    if (!prepare_folder(options.folder)) return 1;
    UsbContext context;
    std::string error;
    if (!context.open(&error)) {
        log_line("libusb cannot start: %s", error.c_str());
        return 1;
    }
    DeviceWatch watch(context);
    if (!watch.start(&error)) {
        log_line("%s", error.c_str());
        return 1;
    }
    log_line("serving TARVO 5170 printers in %s", options.folder.c_str());
    const char* stopped_by = nullptr;
    {
        Bridge bridge(options, context);
        std::vector<PollEntry> entries;
        while (stopped_by == nullptr) {
            for (const DeviceEvent& event : watch.take()) bridge.on_event(event);
            bridge.retry_due();
            entries.clear();
            entries.push_back({signals.fd(), platform::kPollReadable, 0});
            context.add_poll_entries(entries);
            bridge.add_poll_entries(entries);
            const int wait = context.wait_limit_ms(bridge.wait_limit_ms(watch.wait_limit_ms(kLoopWakeMs)));
            if (platform::poll_wait(entries, wait) < 0) {
                log_line("waiting for events failed");
                break;
            }
            if (entries[0].returned != 0) stopped_by = signals.take();
            // libusb runs every pass: its time-outs are due even when none of its descriptors is ready.
            context.handle_events();
            bridge.handle(entries);
            bridge.drop_gone();
        }
        if (stopped_by != nullptr) log_line("%s: releasing the printers", stopped_by);
        bridge.stop_all();
    }
    log_line("stopped");
    return stopped_by != nullptr ? 0 : 1;
}

}  // namespace tz::usbbridge
