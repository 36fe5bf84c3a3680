#include "emulator/virtual_printer.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <system_error>

#include "control.h"
#include "link/socket_names.h"
#include "platform/process.h"

namespace tz::emulator {
namespace {

using platform::IoStatus;
using platform::LocalListener;
using platform::LocalSocket;
using platform::SocketKind;

// How often the serving threads look at their stop flags.
constexpr uint32_t kPollMs = 50;
// How often the printer's own time moves on without a host asking.
constexpr uint32_t kTickMs = 10;
constexpr uint32_t kSendTimeoutMs = 5000;
constexpr size_t kControlLineLimit = 4096;
// Control clients served at once; one more is told so and sent away.
constexpr size_t kMaxControlClients = 16;
constexpr const char* kLockSuffix = ".lock";

bool valid_serial(const std::string& serial) {
    if (serial.size() != link::kSerialSize) return false;
    return std::all_of(serial.begin(), serial.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' || c == '_';
    });
}

bool valid_boot_id(const std::string& id) {
    return id.size() == 8 && std::all_of(id.begin(), id.end(), [](char c) { return c >= 0x20 && c <= 0x7E; });
}

}  // namespace

struct VirtualPrinter::Connection {
    LocalSocket socket;
    std::thread thread;
    std::atomic<bool> finished{false};
};

struct VirtualPrinter::ControlClient {
    LocalSocket socket;
    std::thread thread;
    std::atomic<bool> finished{false};
};

VirtualPrinter::VirtualPrinter(PrinterOptions options) : options_(std::move(options)) {}

VirtualPrinter::~VirtualPrinter() { stop(); }

std::string VirtualPrinter::socket_path() const { return options_.folder + "/" + bus_serial_ + link::kSocketSuffix; }

std::string VirtualPrinter::control_path() const { return options_.folder + "/" + bus_serial_ + link::kControlSuffix; }

bool VirtualPrinter::start(std::string* error) {
    PrinterState state;
    if (!load_state(options_.state_file, state, error)) return false;
    if (!options_.serial.empty()) state.serial = options_.serial;
    if (!valid_serial(state.serial)) {
        if (error) *error = "the serial must be 8 letters, digits, '-' or '_': \"" + state.serial + "\"";
        return false;
    }
    if (!options_.boot_id.empty()) {
        if (!valid_boot_id(options_.boot_id)) {
            if (error) *error = "the boot firmware id must be 8 printable characters: \"" + options_.boot_id + "\"";
            return false;
        }
        state.firmware[kBootEntry - 1].name = options_.boot_id;
    }
    // Before anything is written or listened on: a second printer with this
    // serial would take over the first one's socket files.
    const std::string lock_path = options_.folder + "/" + state.serial + kLockSuffix;
    platform::LockStatus lock_status = platform::LockStatus::Failed;
    platform::FileLock serial_lock = platform::FileLock::try_lock(lock_path, &lock_status);
    if (!serial_lock.valid()) {
        if (error) {
            *error = lock_status == platform::LockStatus::Held
                         ? "another virtual printer with serial " + state.serial + " is serving " + options_.folder
                         : "cannot create the lock file " + lock_path;
        }
        return false;
    }
    if (!options_.output_folder.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(options_.output_folder, ec);
        if (!std::filesystem::is_directory(options_.output_folder, ec)) {
            if (error) *error = "cannot make the output folder " + options_.output_folder;
            return false;
        }
    }
    bus_serial_ = state.serial;
    link_.set_rate(options_.link_rate);
    ModelOptions model_options;
    model_options.identity = Identity{options_.vendor_id, options_.product_id};
    model_options.state_file = options_.state_file;
    model_options.time_scale = options_.time_scale;
    model_options.output_folder = options_.output_folder;
    model_options.clock = options_.clock;
    model_ = std::make_unique<PrinterModel>(std::move(model_options), std::move(state));
    if (!model_->save_state()) {
        if (error) *error = "cannot write the state file " + options_.state_file;
        return false;
    }
    control_listener_ = LocalListener::listen(control_path(), SocketKind::Stream);
    if (!control_listener_.valid()) {
        if (error) *error = "cannot listen on " + control_path();
        return false;
    }
    serial_lock_ = std::move(serial_lock);
    running_ = true;
    control_thread_ = std::thread([this] { control_loop(); });
    if (!replug()) {
        if (error) *error = "cannot listen on " + socket_path();
        stop();
        return false;
    }
    housekeeping_thread_ = std::thread([this] { housekeeping_loop(); });
    return true;
}

void VirtualPrinter::stop() {
    if (!running_.exchange(false)) return;
    if (control_thread_.joinable()) control_thread_.join();
    if (housekeeping_thread_.joinable()) housekeeping_thread_.join();
    control_listener_.close();
    leave_bus();
    // Last: once it goes, another printer may take these socket names.
    serial_lock_.release();
}

bool VirtualPrinter::plugged() const { return accepting_; }

void VirtualPrinter::unplug() {
    std::lock_guard guard(plug_lock_);
    user_unplugged_ = true;
    leave_bus_locked();
}

bool VirtualPrinter::replug() {
    std::lock_guard guard(plug_lock_);
    user_unplugged_ = false;
    return join_bus_locked(false);
}

void VirtualPrinter::housekeeping_loop() {
    while (running_) {
        model_->tick();
        // The printer leaves the bus by itself while its USB controller restarts.
        const bool wanted = model_->on_bus();
        if (!wanted && plugged())
            leave_bus();
        else if (wanted && !plugged())
            join_bus(true);
        platform::sleep_ms(kTickMs);
    }
}

bool VirtualPrinter::join_bus(bool by_printer) {
    std::lock_guard guard(plug_lock_);
    return join_bus_locked(by_printer);
}

bool VirtualPrinter::join_bus_locked(bool by_printer) {
    // The printer's own restart does not bring back a printer the user unplugged.
    if (by_printer && user_unplugged_) return false;
    if (accepting_) return true;
    listener_ = LocalListener::listen(socket_path(), SocketKind::Message);
    if (!listener_.valid()) return false;
    accepting_ = true;
    accept_thread_ = std::thread([this] { accept_loop(); });
    return true;
}

void VirtualPrinter::leave_bus() {
    std::lock_guard guard(plug_lock_);
    leave_bus_locked();
}

void VirtualPrinter::leave_bus_locked() {
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
        std::lock_guard guard(bus_lock_);
        // Connections the host has closed give their sockets back at once.
        reap_finished_connections();
        if (!socket.valid()) continue;
        if (!accepting_) break;  // unplugged meanwhile: this connection never started
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
    const SessionId session = model_->open_session();
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
            if (!wait_for_link(got.bytes)) break;
            std::vector<Bytes> answers = model_->on_transfer(session, buffer.data(), got.bytes);
            if (!answers.empty()) wait_before_answering();
            bool sent = true;
            for (const Bytes& answer : answers)
                sent = sent && socket.send(answer.data(), answer.size(), kSendTimeoutMs).status == IoStatus::Ok;
            if (!sent) break;
        }
    }
    model_->close_session(session);
    connection.finished = true;
}

void VirtualPrinter::wait_before_answering() {
    const uint32_t delay = model_->answer_delay_ms();
    for (uint32_t waited = 0; waited < delay && accepting_; waited += kTickMs)
        platform::sleep_ms(std::min(kTickMs, delay - waited));
}

bool VirtualPrinter::wait_for_link(size_t bytes) {
    using namespace std::chrono;
    const auto now = [] { return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count(); };
    const int64_t arrives = link_.arrival(bytes, now());
    for (int64_t left = arrives - now(); left > 0; left = arrives - now()) {
        if (!accepting_) return false;
        std::this_thread::sleep_for(nanoseconds(std::min<int64_t>(left, int64_t{kPollMs} * 1000000)));
    }
    return true;
}

void VirtualPrinter::control_loop() {
    // Each client on a thread of its own, so an idle one holds up nobody.
    while (running_) {
        LocalSocket socket = control_listener_.accept(kPollMs);
        // Clients that have gone give their sockets back at once.
        reap_finished_control_clients();
        if (!socket.valid()) continue;
        if (control_clients_.size() >= kMaxControlClients) {
            const std::string answer = "error: too many control clients\n";
            socket.send(answer.data(), answer.size(), kPollMs);
            continue;
        }
        auto client = std::make_unique<ControlClient>();
        client->socket = std::move(socket);
        ControlClient& c = *client;
        control_clients_.push_back(std::move(client));
        c.thread = std::thread([this, &c] { serve_control(c); });
    }
    for (auto& c : control_clients_) c->socket.shutdown();
    for (auto& c : control_clients_) c->thread.join();
    control_clients_.clear();
}

void VirtualPrinter::reap_finished_control_clients() {
    for (auto it = control_clients_.begin(); it != control_clients_.end();) {
        if ((*it)->finished) {
            (*it)->thread.join();
            it = control_clients_.erase(it);
        } else {
            ++it;
        }
    }
}

void VirtualPrinter::serve_control(ControlClient& client) {
    // Each line gets one answer line.
    const LocalSocket& socket = client.socket;
    std::string pending;
    char chunk[512];
    while (running_) {
        platform::IoResult got = socket.receive(chunk, sizeof chunk, kPollMs);
        if (got.status == IoStatus::TimedOut) continue;
        if (got.status != IoStatus::Ok) break;
        pending.append(chunk, got.bytes);
        size_t end;
        while ((end = pending.find('\n')) != std::string::npos) {
            std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            std::string answer = run_control_command(*this, line) + "\n";
            socket.send(answer.data(), answer.size(), kSendTimeoutMs);
        }
        if (pending.size() > kControlLineLimit) {
            std::string answer = "error: line too long\n";
            socket.send(answer.data(), answer.size(), kSendTimeoutMs);
            break;
        }
    }
    client.finished = true;
}

}  // namespace tz::emulator
