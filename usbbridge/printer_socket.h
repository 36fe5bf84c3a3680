// The socket a printer is served on, DIR/<serial>.sock, and the openers
// connected to it. Each connection first gets the hello; each message from a
// connection is one transfer to the printer, and each transfer from the
// printer goes to the connection that wrote last.
#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "link/hello.h"
#include "platform/event_poll.h"
#include "platform/local_socket.h"
#include "platform/message_server.h"

namespace tz::usbbridge {

class PrinterSocket {
public:
    using MessageSink = std::function<void(std::vector<uint8_t> message)>;

    // Listens on `folder`/<serial>.sock (mode 0660). Null, `error` says why, on failure.
    static std::unique_ptr<PrinterSocket> open(const std::string& folder, const link::Hello& hello,
                                               std::string* error);
    ~PrinterSocket() { close(); }
    PrinterSocket(const PrinterSocket&) = delete;
    PrinterSocket& operator=(const PrinterSocket&) = delete;

    const std::string& path() const { return path_; }
    size_t connection_count() const { return connections_.size(); }

    // Appends what to watch. Messages are read only while `take_messages`
    // (the printer is free to send); until then the openers' writes wait in
    // their sockets, as they would on a busy USB pipe.
    void add_poll_entries(std::vector<platform::PollEntry>& entries, bool take_messages);
    // Handles what the entries appended last time report: new openers,
    // closed ones, and at most one message, handed to `sink`.
    void handle(const std::vector<platform::PollEntry>& entries, const MessageSink& sink);
    // One transfer from the printer, for the connection that wrote last.
    void deliver(const uint8_t* data, size_t size);
    // The socket file goes and every connection ends.
    void close();

private:
    struct Connection {
        uint64_t id = 0;
        platform::LocalSocket socket;
    };
    PrinterSocket() = default;
    void accept_waiting();

    std::string serial_;
    std::string path_;
    std::string hello_;
    platform::MessageServer server_;
    std::list<Connection> connections_;
    uint64_t next_id_ = 1;
    uint64_t last_writer_ = 0;
    size_t first_entry_ = 0;
    size_t entry_count_ = 0;
    std::vector<uint8_t> buffer_;
};

}  // namespace tz::usbbridge
