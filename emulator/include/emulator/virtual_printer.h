// A virtual TARVO 5170 on a folder of sockets, for tests, demos and host
// developers without hardware. The same object runs in the TZ5170Emulator
// program and inside test processes.
#pragma once

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "emulator/link_pacer.h"
#include "emulator/printer_model.h"
#include "platform/file_lock.h"
#include "platform/local_socket.h"

namespace tz::emulator {

struct PrinterOptions {
    std::string folder;       // where DIR/<serial>.sock and DIR/<serial>.ctl live
    std::string serial;       // 8 characters; taken from the state file when empty
    std::string state_file;   // JSON; kept across restarts when given
    // Program name of firmware entry 1, the MAIN board's boot firmware, which
    // tells the board: E0229800 new board (factory), E0203300 old board,
    // E0242600 new board 2, or any other 8 printable characters. When given it
    // replaces the state file's and is written to it; when empty the state
    // file's stays.
    std::string boot_id;
    double time_scale = 1.0;  // multiplies every duration of the model
    std::string output_folder;  // printed pages as PNG files; created when missing
    uint16_t vendor_id = 0x0F3C;
    uint16_t product_id = 0x5A17;
    std::shared_ptr<const Clock> clock;  // the steady clock when empty
    // Bytes a second the printer takes from the host over its link, shared
    // by every connection (a USB 2.0 link carries about 33,000,000); 0 for
    // no limit.
    uint64_t link_rate = 0;
};

class VirtualPrinter {
public:
    explicit VirtualPrinter(PrinterOptions options);
    ~VirtualPrinter();
    VirtualPrinter(const VirtualPrinter&) = delete;
    VirtualPrinter& operator=(const VirtualPrinter&) = delete;

    // Loads the state, plugs the printer in and opens the control socket.
    // Fails, touching nothing, while another printer with the same serial
    // serves the folder (DIR/<serial>.lock tells).
    bool start(std::string* error);
    // Unplugs and closes everything. Safe to call twice.
    void stop();

    // Leaves the bus: the socket file goes, every connection ends. It stays
    // off the bus until replug().
    void unplug();
    // Comes back on the bus with a new socket file.
    bool replug();
    bool plugged() const;

    PrinterModel& model() { return *model_; }
    // Named after the serial the printer had when it started.
    std::string socket_path() const;
    std::string control_path() const;
    size_t connection_count();
    std::string serial() const { return model_->serial(); }

    // The link's speed in bytes a second; 0 for no limit.
    void set_link_rate(uint64_t bytes_per_second) { link_.set_rate(bytes_per_second); }
    uint64_t link_rate() const { return link_.rate(); }

private:
    struct Connection;
    struct ControlClient;

    void accept_loop();
    void control_loop();
    void serve_control(ControlClient& client);
    void reap_finished_control_clients();
    void housekeeping_loop();
    void serve(Connection& connection);
    void wait_before_answering();
    // false when the printer left the bus before the transfer had crossed.
    bool wait_for_link(size_t bytes);
    void leave_bus();
    void leave_bus_locked();
    bool join_bus(bool by_printer);
    bool join_bus_locked(bool by_printer);
    void reap_finished_connections();
    void end_all_connections();

    PrinterOptions options_;
    std::unique_ptr<PrinterModel> model_;
    LinkPacer link_;

    platform::FileLock serial_lock_;  // DIR/<serial>.lock while the printer runs
    std::mutex plug_lock_;  // plugging in and out, the listener and its thread, user_unplugged_
    std::mutex bus_lock_;   // the connections
    platform::LocalListener listener_;
    std::thread accept_thread_;
    std::atomic<bool> accepting_{false};
    std::list<std::unique_ptr<Connection>> connections_;

    platform::LocalListener control_listener_;
    std::thread control_thread_;
    std::list<std::unique_ptr<ControlClient>> control_clients_;  // the control thread's own
    std::thread housekeeping_thread_;
    std::atomic<bool> running_{false};
    std::atomic<bool> user_unplugged_{false};
    std::string bus_serial_;  // names the socket files
};

}  // namespace tz::emulator
