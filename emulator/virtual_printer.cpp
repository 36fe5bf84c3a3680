#include "emulator/virtual_printer.h"

#include <algorithm>
#include <string>

#include "control.h"
#include "platform/process.h"

namespace tz::emulator {
namespace {

using platform::IoStatus;
using platform::LocalListener;
using platform::LocalSocket;
using platform::SocketKind;

// How often the serving threads look at their stop flags.
constexpr uint32_t kPollMs = 50;
constexpr uint32_t kSendTimeoutMs = 5000;
constexpr size_t kControlLineLimit = 4096;

bool valid_serial(const std::string& serial) {
    if (serial.size() != link::kSerialSize) return false;
    return std::all_of(serial.begin(), serial.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' || c == '_';
    });
}

}  // namespace

struct VirtualPrinter::Connection {
    LocalSocket socket;
    std::thread thread;
    std::atomic<bool> finished{false};
};

VirtualPrinter::VirtualPrinter(PrinterOptions options) : options_(std::move(options)) {}

VirtualPrinter::~VirtualPrinter() { stop(); }

std::string VirtualPrinter::socket_path() const {
    return options_.folder + "/" + model_->serial() + link::kSocketSuffix;
}

std::string VirtualPrinter::control_path() const {
    return options_.folder + "/" + model_->serial() + link::kControlSuffix;
}

bool VirtualPrinter::start(std::string* error) {
    PrinterState state;
    if (!load_state(options_.state_file, state, error)) return false;
    if (!options_.serial.empty()) state.serial = options_.serial;
    if (!valid_serial(state.serial)) {
        if (error) *error = "the serial must be 8 letters, digits, '-' or '_': \"" + state.serial + "\"";
        return false;
    }
    model_ = std::make_unique<PrinterModel>(Identity{options_.vendor_id, options_.product_id}, state,
                                            options_.state_file, options_.time_scale);
    if (!model_->save_state()) {
        if (error) *error = "cannot write the state file " + options_.state_file;
        return false;
    }
    control_listener_ = LocalListener::listen(control_path(), SocketKind::Stream);
    if (!control_listener_.valid()) {
        if (error) *error = "cannot listen on " + control_path();
        return false;
    }
    running_ = true;
    control_thread_ = std::thread([this] { control_loop(); });
    if (!replug()) {
        if (error) *error = "cannot listen on " + socket_path();
        stop();
        return false;
    }
    return true;
}

void VirtualPrinter::stop() {
    if (!running_.exchange(false)) return;
    if (control_thread_.joinable()) control_thread_.join();
    control_listener_.close();
    unplug();
}

bool VirtualPrinter::plugged() const { return accepting_; }

bool VirtualPrinter::replug() {
    std::lock_guard guard(plug_lock_);
    if (accepting_) return true;
    listener_ = LocalListener::listen(socket_path(), SocketKind::Message);
    if (!listener_.valid()) return false;
    accepting_ = true;
    accept_thread_ = std::thread([this] { accept_loop(); });
    return true;
}

void VirtualPrinter::unplug() {
    std::lock_guard guard(plug_lock_);
    accepting_ = false;
    if (accept_thread_.joinable()) accept_thread_.join();
    listener_.close();
    std::lock_guard connections_guard(bus_lock_);
    end_all_connections();
}

size_t VirtualPrinter::connection_count() {
    std::lock_guard guard(bus_lock_);
    reap_finished_connections();
    return connections_.size();
}

void VirtualPrinter::accept_loop() {
    while (accepting_) {
        LocalSocket socket = listener_.accept(kPollMs);
        if (!socket.valid()) continue;
        std::lock_guard guard(bus_lock_);
        if (!accepting_) break;  // unplugged meanwhile: this connection never started
        reap_finished_connections();
        auto connection = std::make_unique<Connection>();
        connection->socket = std::move(socket);
        Connection& c = *connection;
        connections_.push_back(std::move(connection));
        c.thread = std::thread([this, &c] { serve(c); });
    }
}

void VirtualPrinter::reap_finished_connections() {
    for (auto it = connections_.begin(); it != connections_.end();) {
        if ((*it)->finished) {
            (*it)->thread.join();
            it = connections_.erase(it);
        } else {
            ++it;
        }
    }
}

void VirtualPrinter::end_all_connections() {
    for (auto& c : connections_) c->socket.shutdown();
    for (auto& c : connections_) c->thread.join();
    connections_.clear();
}

void VirtualPrinter::serve(Connection& connection) {
    const LocalSocket& socket = connection.socket;
    auto hello = link::encode_hello(model_->hello());
    if (socket.send(hello.data(), hello.size(), kSendTimeoutMs).status == IoStatus::Ok) {
        std::vector<uint8_t> buffer(link::kMaxTransfer);
        for (;;) {
            platform::IoResult got = socket.receive(buffer.data(), buffer.size(), kPollMs);
            if (got.status == IoStatus::TimedOut) {
                if (!accepting_) break;
                continue;
            }
            if (got.status != IoStatus::Ok) break;  // the host closed the device, or we were unplugged
            bool sent = true;
            for (const Bytes& answer : model_->on_transfer(buffer.data(), got.bytes))
                sent = sent && socket.send(answer.data(), answer.size(), kSendTimeoutMs).status == IoStatus::Ok;
            if (!sent) break;
        }
    }
    connection.finished = true;
}

void VirtualPrinter::control_loop() {
    while (running_) {
        LocalSocket client = control_listener_.accept(kPollMs);
        if (!client.valid()) continue;
        // One client at a time; each line gets one answer line.
        std::string pending;
        char chunk[512];
        while (running_) {
            platform::IoResult got = client.receive(chunk, sizeof chunk, kPollMs);
            if (got.status == IoStatus::TimedOut) continue;
            if (got.status != IoStatus::Ok) break;
            pending.append(chunk, got.bytes);
            size_t end;
            while ((end = pending.find('\n')) != std::string::npos) {
                std::string line = pending.substr(0, end);
                pending.erase(0, end + 1);
                if (!line.empty() && line.back() == '\r') line.pop_back();
                std::string answer = run_control_command(*this, line) + "\n";
                client.send(answer.data(), answer.size(), kSendTimeoutMs);
            }
            if (pending.size() > kControlLineLimit) {
                std::string answer = "error: line too long\n";
                client.send(answer.data(), answer.size(), kSendTimeoutMs);
                break;
            }
        }
    }
}

}  // namespace tz::emulator
