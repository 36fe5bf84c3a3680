// What the virtual printer is: its identity, what it keeps across power
// cycles, and how it answers what the host sends. No sockets here: bytes in,
// answer transfers out. Every connection to the printer is a session of its
// own (data announced on a connection arrives on that connection).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "emulator/clock.h"
#include "emulator/printer_state.h"
#include "link/hello.h"

namespace tz::emulator {

using Bytes = std::vector<uint8_t>;
using SessionId = uint64_t;

struct Identity {
    uint16_t vendor_id = 0x0F3C;
    uint16_t product_id = 0x5A17;
};

struct ModelOptions {
    Identity identity;
    std::string state_file;     // JSON; nothing is written when empty
    double time_scale = 1.0;    // multiplies every duration of the printer
    std::string output_folder;  // printed pages go here as PNG files; none when empty
    std::shared_ptr<const Clock> clock;  // the steady clock when empty
};

// Printer errors that a user causes at the printer.
enum class Condition { CoverOpen, NoPaper, NoRibbon };

// A short view of the printer for the control socket and tests.
struct ModelInfo {
    uint8_t state_byte = 0;
    std::string activity;  // idle, printing, initialising, rewriting, off-bus, diagnosing
    std::string condition; // empty, cover-open, no-paper, no-ribbon
    size_t jobs = 0;       // occupied job positions
    bool on_bus = true;
};

// The image a firmware part was last rewritten with, as the file it came from
// (a USB controller image arrives with the file's last 64 bytes first).
struct InstalledFirmware {
    FirmwarePart part = FirmwarePart::Main;
    Bytes image;
    uint8_t major = 0;
    uint8_t minor = 0;
    uint32_t crc32 = 0;  // CRC-32 (IEEE) of the image
};

class Engine;

class PrinterModel {
public:
    PrinterModel(ModelOptions options, PrinterState state);
    PrinterModel(Identity identity, PrinterState state, std::string state_file, double time_scale);
    ~PrinterModel();
    PrinterModel(const PrinterModel&) = delete;
    PrinterModel& operator=(const PrinterModel&) = delete;

    std::string serial() const;
    link::Hello hello() const;

    // One session per connection. Session 0 always exists.
    SessionId open_session();
    void close_session(SessionId session);

    // One transfer from the host; the transfers to send back, in order.
    std::vector<Bytes> on_transfer(SessionId session, const uint8_t* data, size_t size);
    std::vector<Bytes> on_transfer(const uint8_t* data, size_t size) { return on_transfer(0, data, size); }

    // Brings the printer up to the clock's time (pages finish, rewrites end)
    // and writes the pages that came out.
    void tick();
    // false while the printer is off the bus (its USB controller restarting).
    bool on_bus() const;

    // Writes the state file (when there is one). false when it cannot be written.
    bool save_state() const;
    PrinterState state() const;
    ModelInfo info() const;
    // Why the printer refused the last data it was sent (empty when it never did).
    std::string last_refusal() const;
    // The image the part's last finished rewrite installed; null before the
    // first one since the printer started (images are kept in memory only).
    std::shared_ptr<const InstalledFirmware> installed_firmware(FirmwarePart part) const;

    // Fault injection.
    void set_hanging(bool hanging);  // transfers are taken and dropped
    bool hanging() const;
    // Every command is answered with this error frame (error, group, detail, second detail) until cleared.
    void inject_error(std::array<uint8_t, 4> bytes);
    void clear_injected_error();
    // Every normal answer carries this state byte until cleared.
    void override_state(uint8_t state_byte);
    void clear_state_override();
    void set_condition(Condition condition);
    void clear_condition();
    void set_answer_delay(uint32_t milliseconds);
    uint32_t answer_delay_ms() const;
    void corrupt_next_frame();   // its length field will not match
    void truncate_next_frame();  // it will be cut short
    void fill_job_positions();   // held jobs in every free position
    void free_held_positions();
    bool set_media(uint16_t width, uint16_t height);
    void clear_faults();  // all of the above except the printer condition

private:
    mutable std::mutex lock_;
    std::unique_ptr<Engine> engine_;
};

}  // namespace tz::emulator
