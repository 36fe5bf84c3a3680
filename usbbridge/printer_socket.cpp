#include "printer_socket.h"

#include <iterator>

#include "link/socket_names.h"
#include "log.h"

namespace tz::usbbridge {
namespace {

using platform::IoStatus;
using platform::kPollHangup;
using platform::kPollReadable;

constexpr unsigned kSocketMode = 0660;
constexpr uint32_t kHelloTimeoutMs = 1000;
// An opener that does not read for this long loses the transfer.
constexpr uint32_t kDeliverTimeoutMs = 250;
constexpr size_t kMaxConnections = 64;

}  // namespace

std::unique_ptr<PrinterSocket> PrinterSocket::open(const std::string& folder, const link::Hello& hello,
                                                   std::string* error) {
    std::unique_ptr<PrinterSocket> socket(new PrinterSocket);
    socket->serial_.assign(hello.serial.data(), hello.serial.size());
    socket->path_ = folder + "/" + socket->serial_ + link::kSocketSuffix;
    socket->hello_ = link::encode_hello(hello);
    socket->server_ = platform::MessageServer::listen(socket->path_, kSocketMode, error);
    if (!socket->server_.valid()) return nullptr;
    socket->buffer_.resize(link::kMaxTransfer + 1);
    return socket;
}

void PrinterSocket::add_poll_entries(std::vector<platform::PollEntry>& entries, bool take_messages) {
    first_entry_ = entries.size();
    if (!server_.valid()) {
        entry_count_ = 0;
        return;
    }
    entries.push_back({server_.fd(), kPollReadable, 0});
    for (const Connection& c : connections_)
        entries.push_back({c.socket.fd(), take_messages ? kPollReadable : short{0}, 0});
    entry_count_ = entries.size() - first_entry_;
}

void PrinterSocket::handle(const std::vector<platform::PollEntry>& entries, const MessageSink& sink) {
    if (entry_count_ == 0 || first_entry_ + entry_count_ > entries.size()) return;
    const bool listener_ready = entries[first_entry_].returned != 0;
    bool took_message = false;
    auto it = connections_.begin();
    for (size_t i = first_entry_ + 1; i < first_entry_ + entry_count_ && it != connections_.end(); ++i) {
        const platform::PollEntry& entry = entries[i];
        Connection& c = *it;
        bool drop = false;
        if ((entry.returned & kPollReadable) != 0 && !took_message) {
            platform::IoResult got = c.socket.receive(buffer_.data(), buffer_.size(), 0);
            if (got.status == IoStatus::Ok && got.bytes > 0 && got.bytes <= link::kMaxTransfer) {
                took_message = true;
                last_writer_ = c.id;
                log_debug("%s: connection %llu wrote %zu bytes", serial_.c_str(),
                          static_cast<unsigned long long>(c.id), got.bytes);
                sink(std::vector<uint8_t>(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(got.bytes)));
            } else if (got.status == IoStatus::Ok && got.bytes > link::kMaxTransfer) {
                log_line("%s: connection %llu sent a message longer than %zu bytes; dropped", serial_.c_str(),
                         static_cast<unsigned long long>(c.id), link::kMaxTransfer);
            } else if (got.status != IoStatus::TimedOut) {
                drop = true;  // closed by the opener
            }
        } else if ((entry.returned & kPollHangup) != 0 && (entry.returned & kPollReadable) == 0) {
            drop = true;
        }
        if (drop) {
            log_debug("%s: connection %llu closed", serial_.c_str(), static_cast<unsigned long long>(c.id));
            if (last_writer_ == c.id) last_writer_ = 0;
            it = connections_.erase(it);
        } else {
            ++it;
        }
    }
    if (listener_ready) accept_waiting();
}

void PrinterSocket::accept_waiting() {
    for (;;) {
        platform::LocalSocket socket = server_.accept();
        if (!socket.valid()) return;
        if (connections_.size() >= kMaxConnections) {
            log_line("%s: more than %zu openers; a new connection is refused", serial_.c_str(), kMaxConnections);
            continue;
        }
        if (socket.send(hello_.data(), hello_.size(), kHelloTimeoutMs).status != IoStatus::Ok) {
            log_line("%s: the hello could not be sent to a new connection", serial_.c_str());
            continue;
        }
        connections_.push_back({next_id_++, std::move(socket)});
        log_debug("%s: connection %llu opened", serial_.c_str(),
                  static_cast<unsigned long long>(connections_.back().id));
    }
}

void PrinterSocket::deliver(const uint8_t* data, size_t size) {
    for (Connection& c : connections_) {
        if (c.id != last_writer_) continue;
        if (c.socket.send(data, size, kDeliverTimeoutMs).status != IoStatus::Ok)
            log_line("%s: connection %llu did not take %zu bytes from the printer; dropped", serial_.c_str(),
                     static_cast<unsigned long long>(c.id), size);
        else
            log_debug("%s: %zu bytes to connection %llu", serial_.c_str(), size,
                      static_cast<unsigned long long>(c.id));
        return;
    }
    log_line("%s: %zu bytes from the printer with no opener waiting; dropped", serial_.c_str(), size);
}

void PrinterSocket::close() {
    server_.close();
    for (Connection& c : connections_) c.socket.shutdown();
    connections_.clear();
    entry_count_ = 0;
}

}  // namespace tz::usbbridge
