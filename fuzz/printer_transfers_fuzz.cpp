// Fuzzes the virtual printer with what a host may send it: a sequence of
// transfers (commands, or data after an announcement) on two connections,
// with time passing between them.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "emulator/clock.h"
#include "emulator/printer_model.h"

using namespace tz::emulator;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto clock = std::make_shared<ManualClock>();
    ModelOptions options;
    options.time_scale = 0.001;
    options.clock = clock;
    PrinterState state;
    state.serial = "FUZZ0001";
    PrinterModel model(options, state);
    SessionId sessions[2] = {model.open_session(), model.open_session()};

    // Each transfer: one byte of control (bit 0: connection, bits 1..7: time to
    // pass), a length byte, then that many bytes.
    size_t at = 0;
    while (at + 2 <= size) {
        uint8_t control = data[at];
        size_t length = data[at + 1];
        at += 2;
        if (length > size - at) length = size - at;
        std::vector<uint8_t> transfer(data + at, data + at + length);  // exactly sized: over-reads show
        at += length;
        model.on_transfer(sessions[control & 1], transfer.data(), transfer.size());
        clock->advance_ms(control >> 1);
        model.tick();
    }
    model.close_session(sessions[0]);
    model.close_session(sessions[1]);
    return 0;
}
