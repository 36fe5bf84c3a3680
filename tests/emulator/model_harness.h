// A virtual printer model on a hand-driven clock, and packets written out as
// the host sends them.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "emulator/printer_model.h"

namespace tz::test {

using emulator::Bytes;

// A command packet: opcode, class, payload length (LE16), payload.
inline Bytes packet(uint8_t opcode, uint8_t command_class, const Bytes& payload = {}) {
    Bytes out = {opcode, command_class, static_cast<uint8_t>(payload.size()), static_cast<uint8_t>(payload.size() >> 8)};
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

// Frame header of a normal answer in the ready state, with a payload length.
inline Bytes ready_header(uint16_t length) {
    return {0x01, 0, 0, 0, 0, 0, 0, 0x00, static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8)};
}
inline Bytes with(Bytes head, const Bytes& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

inline const Bytes kAck = {0x01, 0, 0, 0, 0, 0, 0, 0x00, 0x00, 0x00};
inline const Bytes kRefused = {0x02, 0x01, 0, 0, 0, 0, 0, 0, 0, 0};

class ModelHarness {
public:
    explicit ModelHarness(double time_scale = 1.0, std::string output_folder = "", std::string state_file = "",
                          emulator::PrinterState state = {})
        : clock_(std::make_shared<emulator::ManualClock>()) {
        if (state.serial.empty()) state.serial = "SN000001";
        emulator::ModelOptions options;
        options.state_file = std::move(state_file);
        options.time_scale = time_scale;
        options.output_folder = std::move(output_folder);
        options.clock = clock_;
        model_ = std::make_unique<emulator::PrinterModel>(std::move(options), std::move(state));
    }

    emulator::PrinterModel& model() { return *model_; }

    std::vector<Bytes> send(const Bytes& bytes, emulator::SessionId session = 0) {
        return model_->on_transfer(session, bytes.data(), bytes.size());
    }
    // Sends a command that must be answered with exactly one frame and returns it.
    Bytes ask(const Bytes& bytes, emulator::SessionId session = 0) {
        std::vector<Bytes> answers = send(bytes, session);
        EXPECT_EQ(answers.size(), 1u);
        return answers.empty() ? Bytes{} : answers.front();
    }
    // Sends data the way the host streams it: pieces of at most 4096 bytes, no answers.
    void stream(const Bytes& data, emulator::SessionId session = 0) {
        for (size_t at = 0; at < data.size(); at += 4096) {
            size_t n = std::min<size_t>(4096, data.size() - at);
            EXPECT_TRUE(model_->on_transfer(session, data.data() + at, n).empty()) << "answer to data at " << at;
        }
    }
    void wait_ms(double milliseconds) {
        clock_->advance_ms(milliseconds);
        model_->tick();
    }
    // The status answer's state byte and job-state bytes (frame bytes 7, 45, 53).
    uint8_t state_byte() { return ask(packet(0x01, 0x00)).at(7); }

private:
    std::shared_ptr<emulator::ManualClock> clock_;
    std::unique_ptr<emulator::PrinterModel> model_;
};

}  // namespace tz::test
