// The printer's states over time: the two job positions and the pages they
// print, restarts, firmware rewrites, self-diagnosis and the error states a
// user causes at the printer. Times are clock nanoseconds; the durations it
// is given are already scaled.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "firmware_image.h"
#include "frames.h"
#include "status_report.h"

namespace tz::emulator {

enum class Activity { Idle, Initialising, Rewriting, OffBus, Diagnosing };
const char* activity_name(Activity activity);

struct MachineTimes {
    int64_t copy = 0;            // one copy of a page
    int64_t restart = 0;         // initialising after a restart
    int64_t rewrite_main = 0;
    int64_t rewrite_dsp = 0;
    int64_t rewrite_table = 0;
    int64_t rewrite_usb = 0;     // the USB controller writes its flash, still on the bus
    int64_t usb_off_bus = 0;     // then it restarts: off the bus
    int64_t usb_initialising = 0;
    int64_t diagnosis = 0;       // one diagnosis
    int64_t diagnosis_all = 0;   // mode 1: every diagnosis
};

// A printer error that stops printing until it is cleared (state 0x11, group 6).
struct PrinterError {
    uint8_t group = 6;
    uint8_t detail = 0;
    uint8_t detail2 = 0;
};

struct PageSetup {
    uint8_t number = 0;
    uint16_t copies = 1;
    uint16_t width = 0;
    uint16_t height = 0;
    uint16_t area_width = 0;
    uint16_t area_height = 0;
    uint16_t offset_x = 0;
    uint16_t offset_y = 0;
    uint8_t tag20 = 0;
    uint8_t tag30 = 0;
};

struct LaminateString {
    uint8_t slot = 0;
    uint16_t value_a = 0;
    uint16_t value_b = 0;
    uint8_t value_c = 0;
    uint8_t value_d = 0;
    std::string text;
};
using LaminateStrings = std::array<std::optional<LaminateString>, 12>;  // slot 1..12

struct CutList {
    uint8_t count = 0xFF;  // 0xFF: no cuts
    std::array<uint16_t, 36> cuts{};
};

// What Get Printer ID Status reports about a job number.
inline constexpr uint16_t kJobWordUnknown = 0x0000;
inline constexpr uint16_t kJobWordReceiving = 0x0001;
inline constexpr uint16_t kJobWordWaiting = 0x0002;
inline constexpr uint16_t kJobWordPrinting = 0x0100;
inline constexpr uint16_t kJobWordFinished = 0x0200;
inline constexpr uint16_t kJobWordCancelled = 0xFFFF;

struct Job {
    uint64_t id = 0;
    uint64_t sequence = 0;  // order of arrival
    PageSetup page;
    // The settings the page was accepted with, as the host had made them then.
    LaminateStrings laminate_strings;
    CutList cut_list;
    uint16_t last_copy = 0;  // the page's copies, fewer once cancelled
    bool cancelled = false;
    uint16_t printed = 0;
    uint32_t bytes_expected = 0;
    uint32_t bytes_received = 0;
    uint8_t state = kJobReceiving;
    bool held = false;  // a position kept busy on purpose; never prints
    std::shared_ptr<std::vector<uint8_t>> pixels;  // null when pages are not kept
    int64_t copy_due = 0;    // while a copy is running
    int64_t copy_left = -1;  // >= 0: a copy interrupted by a printer error, this much to go
};

struct MachineEvent {
    enum class Kind { CopyPrinted, RewriteDone, DiagnosisDone } kind = Kind::CopyPrinted;
    int64_t at = 0;
    Job job;  // CopyPrinted: the job, printed = the number of this copy
    FirmwarePart part = FirmwarePart::Main;
    FirmwareVersion version;  // RewriteDone
    bool restart = false;     // RewriteDone: the printer restarts by itself now
    uint8_t diagnosis_mode = 0;
};

class Machine {
public:
    explicit Machine(MachineTimes times);

    // Everything that became due up to `now`, in time order.
    std::vector<MachineEvent> advance(int64_t now);

    FrameStatus status() const;
    Activity activity() const { return activity_; }
    bool ready() const { return activity_ == Activity::Idle; }
    bool on_bus() const { return activity_ != Activity::OffBus; }
    const std::optional<PrinterError>& error() const { return error_; }
    uint8_t diagnosis_mode() const { return activity_ == Activity::Diagnosing ? diagnosis_mode_ : 0; }
    bool printing() const;

    // Job positions.
    size_t occupied() const;
    bool position_free() const { return occupied() < positions_.size(); }
    std::array<JobRecord, kJobRecordCount> job_records() const;
    Job* find_job(uint64_t id);
    const Job* find_number(uint8_t number) const;
    uint64_t add_job(const PageSetup& page, uint32_t bytes_expected, bool keep_pixels,
                     const LaminateStrings& laminate_strings = {}, const CutList& cut_list = {});
    void job_data(uint64_t id, const uint8_t* data, size_t size);
    void job_data_complete(uint64_t id, int64_t now);
    void drop_job(uint64_t id);
    // Drops the copies still to come; a copy being printed is finished.
    void cancel(uint8_t number, int64_t now);
    uint16_t job_word(uint8_t number) const;
    void hold_free_positions();
    void release_held_positions(int64_t now);

    // Activities.
    void restart(int64_t now);
    // With `restart_after`, MAIN, DSP and TABLE rewrites end in a restart
    // (initialising); the USB controller always restarts off the bus.
    void start_rewrite(FirmwarePart part, FirmwareVersion version, bool restart_after, int64_t now);
    void start_diagnosis(uint8_t mode, int64_t now);
    void set_error(PrinterError error, int64_t now);
    void clear_error(int64_t now);

private:
    void start_next_copy(int64_t now);
    void finish_job(size_t position, uint16_t word);
    void remember(uint8_t number, uint16_t word);

    MachineTimes times_;
    Activity activity_ = Activity::Idle;
    int64_t activity_until_ = 0;
    FirmwarePart rewrite_part_ = FirmwarePart::Main;
    FirmwareVersion rewrite_version_;
    bool rewrite_restart_ = false;
    uint8_t diagnosis_mode_ = 0;
    std::optional<PrinterError> error_;
    std::array<std::optional<Job>, kJobRecordCount> positions_;
    uint64_t next_id_ = 1;
    std::deque<std::pair<uint8_t, uint16_t>> history_;  // finished and cancelled jobs, newest first
};

}  // namespace tz::emulator
