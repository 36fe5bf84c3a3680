#include "transport.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <string>

#include "command_names.h"

#include "io_timeout.h"
#include "library_state.h"
#include "platform/pipe_io.h"

namespace tz::lib {
namespace {

using platform::IoResult;
using platform::IoStatus;
using Clock = std::chrono::steady_clock;

std::atomic<bool> g_read_timed_out{false};
std::atomic<bool> g_write_timed_out{false};

// Notes a transfer given up at the time limit.
void note(const IoResult& result, std::atomic<bool>& flag) {
    if (result.status == IoStatus::TimedOut) flag = true;
}

}  // namespace

bool read_timed_out() { return g_read_timed_out; }
bool write_timed_out() { return g_write_timed_out; }

// The selected printer's serial as the dump shows it.
std::string dump_serial(const Serial& serial) {
    std::string text;
    bool any = false;
    for (uint8_t c : serial) {
        any = any || c != 0;
        text.push_back(c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '.');
    }
    return any ? text : "--------";
}

void Transport::log(const Selection& selected, Traffic kind, const uint8_t* bytes, size_t count,
                    const IoResult& result, const char* about) {
    const std::string serial = dump_serial(selected.serial);
    const char* command = about != nullptr ? about : last_command_;
    if (result.status == IoStatus::Ok) {
        write_traffic_line(traffic_line(serial, kind, bytes, count, command, traffic_level()));
    } else {
        write_traffic_line(traffic_failure_line(serial, kind, command,
                                                result.status == IoStatus::TimedOut ? "timed out" : "failed"));
    }
}

ResultCode Transport::write_within_limit(const Selection& selected, const uint8_t* data, uint32_t count, Traffic kind,
                                         uint32_t& written) {
    IoResult result = platform::pipe_write_timed(selected.write_pipe, data, count, io_timeout_ms());
    note(result, g_write_timed_out);
    if (traffic_level() != 0) {
        if (kind == Traffic::Command && count >= 2) last_command_ = command_name(data[0], data[1]);
        log(selected, kind, data, result.status == IoStatus::Ok ? result.bytes : count, result);
    }
    if (result.status != IoStatus::Ok) return TZP_USB_ERROR;
    written = static_cast<uint32_t>(result.bytes);
    return TZP_OK;
}

void Transport::discard_late_answers() { discard_late_answers(selection_.load()); }

void Transport::discard_late_answers(const Selection& selected) {
    const intptr_t pipe = selected.read_pipe;
    if (pipe == -1) return;
    uint8_t frame[kTimedReadSize];
    if (std::atomic<uint32_t>* owed = selected.answers_owed; owed != nullptr && owed->load() != 0) {
        // A printer that was only slow sends them soon; one that dropped the
        // commands never does, and the wait ends at its limit.
        auto deadline = Clock::now() + std::chrono::milliseconds(std::min(kLateAnswerGraceMs, io_timeout_ms()));
        while (owed->load() != 0) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0 ||
                !discard_one(selected, frame, sizeof frame, static_cast<uint32_t>(left)))
                break;
            --*owed;
        }
        *owed = 0;
    }
    for (uint32_t i = 0; i < kLateAnswerLimit; ++i)
        if (!discard_one(selected, frame, sizeof frame, 0)) return;
}

bool Transport::discard_one(const Selection& selected, uint8_t* frame, size_t size, uint32_t wait_ms) {
    IoResult result = platform::pipe_read_timed(selected.read_pipe, frame, size, wait_ms);
    if (result.status != IoStatus::Ok) return false;
    if (traffic_level() != 0)
        log(selected, Traffic::Answer, frame, result.bytes, result, "an earlier command (late, discarded)");
    return true;
}

void Transport::note_read_given_up(const Selection& selected, const platform::IoResult& result) {
    if (result.status != IoStatus::TimedOut) return;
    if (std::atomic<uint32_t>* owed = selected.answers_owed; owed != nullptr && owed->load() < kLateAnswerLimit)
        ++*owed;
}

ResultCode Transport::timed_write(const uint8_t* data, uint32_t count, uint32_t& written) {
    written = 0;
    if (data == nullptr || count == 0 || count > kSendBufferSize) return TZP_USB_ERROR;
    const Selection selected = selection_.load();
    discard_late_answers(selected);
    return write_within_limit(selected, data, count, Traffic::Command, written);
}

ResultCode Transport::direct_write(const uint8_t* data, uint32_t count, uint32_t& written, Traffic kind) {
    written = 0;
    if (data == nullptr || count == 0) return TZP_USB_ERROR;
    // Page and firmware data have no answer of their own to mix up: a late
    // answer can only be waiting there when a read gave up, and any other
    // stray frame is thrown away before the next command.
    const Selection selected = selection_.load();
    if (kind != Traffic::Data || answers_owed(selected)) discard_late_answers(selected);
    return write_within_limit(selected, data, count, kind, written);
}

bool Transport::answers_owed(const Selection& selected) {
    return selected.answers_owed != nullptr && selected.answers_owed->load() != 0;
}

ResultCode Transport::timed_read(uint8_t* buffer, size_t capacity, uint32_t& count) {
    count = 0;
    uint8_t frame[kTimedReadSize];
    const Selection selected = selection_.load();
    IoResult result = platform::pipe_read_timed(selected.read_pipe, frame, sizeof frame, io_timeout_ms());
    note(result, g_read_timed_out);
    note_read_given_up(selected, result);
    if (traffic_level() != 0) log(selected, Traffic::Answer, frame, result.bytes, result);
    if (result.status != IoStatus::Ok || buffer == nullptr || result.bytes > capacity) return TZP_USB_ERROR;
    std::memcpy(buffer, frame, result.bytes);
    count = static_cast<uint32_t>(result.bytes);
    return TZP_OK;
}

bool Transport::read_into_receive_buffer(size_t size, uint32_t& received) {
    received = 0;
    size = std::min(size, receive_buffer_.size());
    const Selection selected = selection_.load();
    IoResult result = platform::pipe_read_timed(selected.read_pipe, receive_buffer_.data(), size, io_timeout_ms());
    note(result, g_read_timed_out);
    note_read_given_up(selected, result);
    if (traffic_level() != 0) log(selected, Traffic::Answer, receive_buffer_.data(), result.bytes, result);
    if (result.status != IoStatus::Ok) return false;
    received = static_cast<uint32_t>(result.bytes);
    return true;
}

ResultCode Transport::direct_read(uint8_t* buffer, size_t capacity, uint32_t& count) {
    std::lock_guard guard(library_lock());
    count = 0;
    uint32_t received = 0;
    if (!read_into_receive_buffer(pipes_.read_length, received) || buffer == nullptr || received > capacity)
        return TZP_USB_ERROR;
    std::memcpy(buffer, receive_buffer_.data(), received);
    count = received;
    return TZP_OK;
}

ResultCode Transport::framed_direct_read(uint8_t* buffer, size_t capacity, uint32_t& count, bool& length_agrees) {
    std::lock_guard guard(library_lock());
    count = 0;
    length_agrees = false;
    uint32_t received = 0;
    // Fewer than the two header bytes is no frame at all.
    if (!read_into_receive_buffer(pipes_.read_length, received) || received < 2 || buffer == nullptr ||
        received - 2 > capacity)
        return TZP_USB_ERROR;
    count = received - 2;
    std::memcpy(buffer, receive_buffer_.data() + 2, count);
    length_agrees = receive_buffer_[1] == count;
    return TZP_OK;
}

void close_write_pipe(const UsbApi& usb, intptr_t handle) {
    if (handle != -1 && !write_timed_out() && usb.ClosePipe != nullptr) usb.ClosePipe(handle);
}

void close_read_pipe(const UsbApi& usb, intptr_t handle) {
    if (handle != -1 && !read_timed_out() && usb.ClosePipe != nullptr) usb.ClosePipe(handle);
}

}  // namespace tz::lib
