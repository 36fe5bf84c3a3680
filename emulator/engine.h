// The inside of the virtual printer: what it holds and how a transfer from the
// host is answered. Every command of the printer is a handler in a table
// keyed by opcode and class; the handlers live in the commands_*.cpp files by
// concern. Everything here runs under the model's lock.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "emulator/printer_model.h"
#include "firmware_image.h"
#include "frames.h"
#include "machine.h"
#include "page_output.h"

namespace tz::emulator {

// A command packet: opcode, class, 16-bit little-endian payload length, payload.
inline constexpr size_t kCommandHeaderSize = 4;

struct Command {
    uint8_t opcode = 0;
    uint8_t command_class = 0;
    const uint8_t* payload = nullptr;
    size_t length = 0;
};

// What the printer sends back for one command: one frame, and for a few
// commands data packets after it.
struct Answer {
    Bytes frame;
    std::vector<Bytes> packets;
};

// The bytes a command announced, arriving as plain data on its connection.
struct DataPhase {
    enum class Target { Page, Firmware, ToneCurve, Laminate } target = Target::Page;
    uint32_t expected = 0;
    uint32_t received = 0;
    int64_t last_data = 0;  // when the last piece arrived
    uint64_t job_id = 0;                      // Page
    FirmwarePart part = FirmwarePart::Main;   // Firmware
    uint8_t restart = 0;                      // Firmware: restart request of the announcement
    std::vector<uint8_t> bytes;               // Firmware, ToneCurve
    int curve_type = 0, curve_kind = 0;       // ToneCurve
    uint32_t crc = 0xFFFFFFFFu;               // Laminate: running CRC-32
};

struct Session {
    std::optional<DataPhase> data;
};

// Settings that live until the printer is switched off.
struct Settings {
    LaminateStrings laminate_strings;
    CutList cut_list;
    uint8_t operation_button = 0;
    bool standby = false;
    int64_t led_until = 0;
    uint16_t media_width = 2464;
    uint16_t media_height = 3720;
    uint16_t media_left = 700;
    bool maintenance_permitted = false;
    std::array<uint8_t, 40> diagnosis_results{};  // per mode 1..40: 0 not run, 1 passed
    uint8_t last_tag30 = 0;
};

struct Faults {
    bool hanging = false;
    std::optional<std::array<uint8_t, 4>> error;  // every command answered with this error frame
    std::optional<uint8_t> state;                 // state byte of every normal answer
    uint32_t delay_ms = 0;
    bool corrupt_next = false;
    bool truncate_next = false;
};

class Engine;
using Handler = Answer (*)(Engine&, Session&, const Command&);

// When a command may run: any time; only when the printer is not busy with a
// restart, rewrite or diagnosis; or only then and with no jobs in it.
enum class Needs { Nothing, Ready, ReadyAndEmpty };

inline constexpr int kAnyLength = -1;

struct CommandEntry {
    uint8_t opcode;
    uint8_t command_class;
    const char* name;
    int payload_length;  // kAnyLength: the handler checks it
    Needs needs;
    Handler handler;
};

// The handlers, by concern.
void add_status_commands(std::vector<CommandEntry>& table);       // status, identity, device actions
void add_print_commands(std::vector<CommandEntry>& table);        // print jobs
void add_maintenance_commands(std::vector<CommandEntry>& table);  // parameters, diagnosis, logs, raw
void add_download_commands(std::vector<CommandEntry>& table);     // Update Command, firmware
void add_curve_commands(std::vector<CommandEntry>& table);        // tone curves

// Completion of a data phase, by target.
void finish_page_data(Engine& engine, DataPhase& data);
void finish_firmware_data(Engine& engine, DataPhase& data);
void finish_tone_curve_data(Engine& engine, DataPhase& data);
void finish_laminate_data(Engine& engine, DataPhase& data);

struct Durations {
    // Printer milliseconds, before the time scale.
    uint32_t copy = 10000;
    uint32_t restart = 10000;
    uint32_t rewrite_main = 20000;
    uint32_t rewrite_dsp = 15000;
    uint32_t rewrite_table = 8000;
    uint32_t rewrite_usb = 2000;
    uint32_t usb_off_bus = 10000;
    uint32_t usb_initialising = 5000;
    uint32_t diagnosis = 5000;
    uint32_t diagnosis_all = 20000;
    uint32_t led = 3000;
};
// A connection that announced data and then sends nothing for this long
// (clock time, not scaled) loses what it announced.
inline constexpr int64_t kDataTimeoutNs = 60'000'000'000;

class Engine {
public:
    Engine(ModelOptions options, PrinterState state);

    std::vector<Bytes> on_transfer(SessionId id, const uint8_t* data, size_t size);
    void advance();
    SessionId open_session();
    void close_session(SessionId id);
    std::vector<PrintedCopy> take_printed();
    ModelInfo info() const;
    link::Hello hello() const;

    // For the handlers.
    int64_t now() const;
    int64_t scaled(uint32_t printer_ms) const;
    FrameStatus frame_status() const { return machine.status(); }
    Bytes ack() const { return normal_frame(frame_status(), {}); }
    Bytes reply(const Bytes& payload) const { return normal_frame(frame_status(), payload); }
    static Answer refuse() { return {error_frame(kErrorBadParameter), {}}; }
    // The error answer of a command the printer cannot run in its present state.
    Bytes not_now() const;
    void persist();
    // Data was refused: the next command is answered with an error.
    void refuse_data(std::string why);
    void start_data(Session& session, DataPhase data);
    void log_error(uint8_t group, uint8_t detail, uint8_t detail2);
    // A restart: the settings that live until the printer is switched off go,
    // the loaded media stays.
    void forget_settings();
    void set_condition(Condition condition);
    void clear_condition();

    ModelOptions options;
    Durations durations;
    PrinterState state;  // kept across power cycles
    Machine machine;
    Settings settings;
    Faults faults;
    std::optional<Bytes> pending_refusal;
    std::string last_refusal;
    Bytes rewriting_image;  // the file of the rewrite running now
    std::array<std::shared_ptr<const InstalledFirmware>, kFirmwarePartCount> installed;  // by FirmwarePart

private:
    Answer answer(Session& session, const uint8_t* data, size_t size);
    void take_data(Session& session, const uint8_t* data, size_t size);
    void abandon_data(Session& session);
    std::vector<Bytes> shape(Answer answer);

    std::unordered_map<uint16_t, CommandEntry> table_;
    std::map<SessionId, Session> sessions_;
    SessionId next_session_ = 1;
    std::vector<PrintedCopy> printed_;
};

// CRC-32 (IEEE) of `size` bytes, continuing from `crc` (start with 0xFFFFFFFF, invert at the end).
uint32_t crc32_update(uint32_t crc, const uint8_t* data, size_t size);

}  // namespace tz::emulator
