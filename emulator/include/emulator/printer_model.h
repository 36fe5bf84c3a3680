// What the virtual printer is: its identity, what it keeps across power
// cycles, and how it answers what the host sends. No sockets here: bytes in,
// answer frames out.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "emulator/link.h"
#include "emulator/printer_state.h"

namespace tz::emulator {

using Bytes = std::vector<uint8_t>;

struct Identity {
    uint16_t vendor_id = 0x0F3C;
    uint16_t product_id = 0x5A17;
};

class PrinterModel {
public:
    PrinterModel(Identity identity, PrinterState state, std::string state_file, double time_scale);

    std::string serial() const;
    link::Hello hello() const;

    // Stops answering (the host's transfers are taken and dropped) or answers again.
    void set_hanging(bool hanging);
    bool hanging() const;

    // One transfer from the host; the answers to send back, in order.
    std::vector<Bytes> on_transfer(const uint8_t* data, size_t size);

    // Writes the state file (when there is one). false when it cannot be written.
    bool save_state() const;

private:
    Bytes answer_command(uint8_t opcode, uint8_t command_class, const uint8_t* payload, size_t length);

    mutable std::mutex lock_;
    Identity identity_;
    PrinterState state_;
    std::string state_file_;
    double time_scale_;
    bool hanging_ = false;
};

}  // namespace tz::emulator
