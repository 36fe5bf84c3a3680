// The printer end of a test USB library's printer: records every transfer
// the library sends and answers each one with the next scripted frame.
#pragma once

#include <algorithm>
#include <atomic>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/pipe_io.h"

namespace tz::test {

using Bytes = std::vector<uint8_t>;

class ScriptedPrinter {
public:
    explicit ScriptedPrinter(int socket) : socket_(socket), thread_([this] { run(); }) {}
    ~ScriptedPrinter() {
        stop_ = true;
        thread_.join();
    }

    // Answers, in order; a transfer with no answer left gets none.
    void answer(const Bytes& frame) { answer_burst({frame}); }
    // The next transfer is answered with these messages in a row (none: the
    // transfer is taken without an answer, as data is).
    void answer_burst(std::vector<Bytes> messages) {
        std::lock_guard guard(lock_);
        answers_.push_back(std::move(messages));
    }
    std::vector<Bytes> received() {
        std::lock_guard guard(lock_);
        return received_;
    }

private:
    void run() {
        while (!stop_) {
            uint8_t buffer[8192];
            auto got = platform::pipe_read_timed(socket_, buffer, sizeof buffer, 20);
            if (got.status != platform::IoStatus::Ok) continue;
            std::vector<Bytes> reply;
            {
                std::lock_guard guard(lock_);
                received_.emplace_back(buffer, buffer + got.bytes);
                if (answers_.empty()) continue;
                reply = answers_.front();
                answers_.pop_front();
            }
            for (const Bytes& message : reply) platform::pipe_write(socket_, message.data(), message.size());
        }
    }

    int socket_;
    std::atomic<bool> stop_{false};
    std::mutex lock_;
    std::deque<std::vector<Bytes>> answers_;
    std::vector<Bytes> received_;
    std::thread thread_;
};

// A normal answer with a payload of `payload` zero bytes.
inline Bytes normal_answer(uint8_t state = 0, size_t payload = 65) {
    Bytes frame = {0x01, 0, 0, 0, 0, 0, 0, state, static_cast<uint8_t>(payload), static_cast<uint8_t>(payload >> 8)};
    frame.resize(10 + payload, 0);
    return frame;
}

// A normal answer carrying `payload`.
inline Bytes answer_with(const Bytes& payload, uint8_t state = 0) {
    Bytes frame = normal_answer(state, payload.size());
    std::copy(payload.begin(), payload.end(), frame.begin() + 10);
    return frame;
}

inline Bytes error_answer(uint8_t error, uint8_t group = 0, uint8_t detail = 0, uint8_t second = 0) {
    return {0x02, error, group, detail, second, 0, 0, 0, 0, 0};
}

inline const Bytes kGetStatus = {0x01, 0x00, 0x00, 0x00};

// A status answer whose two job records hold these job numbers and states
// (frame bytes 38 and 45, 46 and 53).
inline Bytes status_frame_with_jobs(uint8_t first, uint8_t first_state, uint8_t second, uint8_t second_state) {
    Bytes frame = normal_answer();
    frame[38] = first;
    frame[45] = first_state;
    frame[46] = second;
    frame[53] = second_state;
    return frame;
}

}  // namespace tz::test
