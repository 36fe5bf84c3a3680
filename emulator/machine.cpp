#include "machine.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace tz::emulator {
namespace {

constexpr size_t kHistorySize = 32;
constexpr int64_t kNever = std::numeric_limits<int64_t>::max();

}  // namespace

const char* activity_name(Activity activity) {
    switch (activity) {
    case Activity::Idle: return "idle";
    case Activity::Initialising: return "initialising";
    case Activity::Rewriting: return "rewriting";
    case Activity::OffBus: return "off-bus";
    case Activity::Diagnosing: return "diagnosing";
    }
    return "?";
}

Machine::Machine(MachineTimes times) : times_(times) {}

FrameStatus Machine::status() const {
    switch (activity_) {
    case Activity::Rewriting:
    case Activity::OffBus: return {kStateDownload, 0, 0, 0};
    case Activity::Initialising: return {kStateInitialising, 0, 0, 0};
    default: break;
    }
    if (error_) return {kStateError, error_->group, error_->detail, error_->detail2};
    if (activity_ == Activity::Diagnosing) return {kStateDiagnosis, 0, 0, 0};
    return {kStateReady, 0, 0, 0};
}

bool Machine::printing() const {
    return std::any_of(positions_.begin(), positions_.end(),
                       [](const std::optional<Job>& job) { return job && job->state == kJobPrinting; });
}

std::vector<MachineEvent> Machine::advance(int64_t now) {
    std::vector<MachineEvent> events;
    for (;;) {
        int64_t due = kNever;
        bool activity_due = false;
        size_t copy_position = positions_.size();
        if (activity_ != Activity::Idle) {
            due = activity_until_;
            activity_due = true;
        }
        for (size_t i = 0; i < positions_.size(); ++i) {
            const std::optional<Job>& job = positions_[i];
            if (job && job->state == kJobPrinting && job->copy_left < 0 && job->copy_due < due) {
                due = job->copy_due;
                activity_due = false;
                copy_position = i;
            }
        }
        if (due > now || (!activity_due && copy_position == positions_.size())) break;

        if (!activity_due) {
            Job& job = *positions_[copy_position];
            ++job.printed;
            MachineEvent event;
            event.kind = MachineEvent::Kind::CopyPrinted;
            event.at = due;
            event.job = job;
            events.push_back(std::move(event));
            if (job.printed >= job.last_copy) {
                finish_job(copy_position, job.cancelled ? kJobWordCancelled : kJobWordFinished);
                start_next_copy(due);
            } else {
                job.copy_due = due + times_.copy;
            }
            continue;
        }

        switch (activity_) {
        case Activity::Rewriting: {
            MachineEvent event;
            event.kind = MachineEvent::Kind::RewriteDone;
            event.at = due;
            event.part = rewrite_part_;
            event.version = rewrite_version_;
            event.restart = rewrite_part_ != FirmwarePart::Usb && rewrite_restart_;
            events.push_back(event);
            if (rewrite_part_ == FirmwarePart::Usb) {
                activity_ = Activity::OffBus;
                activity_until_ = due + times_.usb_off_bus;
            } else if (event.restart) {
                restart(due);
            } else {
                activity_ = Activity::Idle;
                start_next_copy(due);
            }
            break;
        }
        case Activity::OffBus:
            activity_ = Activity::Initialising;
            activity_until_ = due + times_.usb_initialising;
            break;
        case Activity::Diagnosing: {
            MachineEvent event;
            event.kind = MachineEvent::Kind::DiagnosisDone;
            event.at = due;
            event.diagnosis_mode = diagnosis_mode_;
            events.push_back(event);
            activity_ = Activity::Idle;
            start_next_copy(due);
            break;
        }
        case Activity::Initialising:
            activity_ = Activity::Idle;
            start_next_copy(due);
            break;
        case Activity::Idle: break;
        }
    }
    return events;
}

void Machine::start_next_copy(int64_t now) {
    if (activity_ != Activity::Idle || error_ || printing()) return;
    Job* next = nullptr;
    for (std::optional<Job>& job : positions_)
        if (job && job->state == kJobWaiting && !job->held && (next == nullptr || job->sequence < next->sequence))
            next = &*job;
    if (next == nullptr) return;
    next->state = kJobPrinting;
    next->copy_due = now + times_.copy;
    next->copy_left = -1;
}

void Machine::finish_job(size_t position, uint16_t word) {
    if (!positions_[position]) return;
    if (!positions_[position]->held) remember(positions_[position]->page.number, word);
    positions_[position].reset();
}

void Machine::remember(uint8_t number, uint16_t word) {
    history_.erase(std::remove_if(history_.begin(), history_.end(), [number](const auto& e) { return e.first == number; }),
                   history_.end());
    history_.emplace_front(number, word);
    if (history_.size() > kHistorySize) history_.pop_back();
}

size_t Machine::occupied() const {
    return static_cast<size_t>(std::count_if(positions_.begin(), positions_.end(), [](const auto& j) { return j.has_value(); }));
}

std::array<JobRecord, kJobRecordCount> Machine::job_records() const {
    std::array<JobRecord, kJobRecordCount> records{};
    for (size_t i = 0; i < positions_.size(); ++i) {
        if (!positions_[i]) continue;
        const Job& job = *positions_[i];
        records[i].number = job.page.number;
        records[i].copies = job.last_copy;
        records[i].printed = job.printed;
        records[i].received_percent =
            job.bytes_expected == 0 ? 100
                                    : static_cast<uint16_t>(uint64_t{job.bytes_received} * 100 / job.bytes_expected);
        records[i].state = job.state;
    }
    return records;
}

Job* Machine::find_job(uint64_t id) {
    for (std::optional<Job>& job : positions_)
        if (job && job->id == id) return &*job;
    return nullptr;
}

const Job* Machine::find_number(uint8_t number) const {
    for (const std::optional<Job>& job : positions_)
        if (job && job->page.number == number) return &*job;
    return nullptr;
}

uint64_t Machine::add_job(const PageSetup& page, uint32_t bytes_expected, bool keep_pixels,
                          const LaminateStrings& laminate_strings, const CutList& cut_list) {
    for (std::optional<Job>& position : positions_) {
        if (position) continue;
        Job job;
        job.id = next_id_++;
        job.sequence = job.id;
        job.page = page;
        job.laminate_strings = laminate_strings;
        job.cut_list = cut_list;
        job.last_copy = page.copies;
        job.bytes_expected = bytes_expected;
        job.state = bytes_expected == 0 ? kJobWaiting : kJobReceiving;
        if (keep_pixels) job.pixels = std::make_shared<std::vector<uint8_t>>();
        if (job.pixels) job.pixels->reserve(bytes_expected);
        position = std::move(job);
        history_.erase(std::remove_if(history_.begin(), history_.end(),
                                      [&](const auto& e) { return e.first == page.number; }),
                       history_.end());
        return position->id;
    }
    return 0;
}

void Machine::job_data(uint64_t id, const uint8_t* data, size_t size) {
    Job* job = find_job(id);
    if (job == nullptr) return;
    size = std::min<size_t>(size, job->bytes_expected - job->bytes_received);
    if (job->pixels) job->pixels->insert(job->pixels->end(), data, data + size);
    job->bytes_received += static_cast<uint32_t>(size);
}

void Machine::job_data_complete(uint64_t id, int64_t now) {
    Job* job = find_job(id);
    if (job == nullptr || job->state != kJobReceiving) return;
    job->state = kJobWaiting;
    start_next_copy(now);
}

void Machine::drop_job(uint64_t id) {
    for (size_t i = 0; i < positions_.size(); ++i)
        if (positions_[i] && positions_[i]->id == id) finish_job(i, kJobWordCancelled);
}

void Machine::cancel(uint8_t number, int64_t now) {
    for (size_t i = 0; i < positions_.size(); ++i) {
        std::optional<Job>& job = positions_[i];
        if (!job || job->held || job->page.number != number) continue;
        if (job->state == kJobPrinting) {
            // The copy under the head comes out; no more after it.
            const uint16_t last = static_cast<uint16_t>(job->printed + 1);
            if (last < job->last_copy) {
                job->last_copy = last;
                job->cancelled = true;
            }
        } else {
            finish_job(i, kJobWordCancelled);
            start_next_copy(now);
        }
        return;
    }
}

uint16_t Machine::job_word(uint8_t number) const {
    if (const Job* job = find_number(number)) {
        switch (job->state) {
        case kJobReceiving: return kJobWordReceiving;
        case kJobPrinting: return kJobWordPrinting;
        default: return kJobWordWaiting;
        }
    }
    for (const auto& [n, word] : history_)
        if (n == number) return word;
    return kJobWordUnknown;
}

void Machine::hold_free_positions() {
    uint8_t number = 250;
    for (std::optional<Job>& position : positions_) {
        if (position) continue;
        while (find_number(number) != nullptr) ++number;
        Job job;
        job.id = next_id_++;
        job.sequence = job.id;
        job.page.number = number;
        job.page.copies = 1;
        job.last_copy = 1;
        job.state = kJobWaiting;
        job.held = true;
        position = std::move(job);
    }
}

void Machine::release_held_positions(int64_t now) {
    for (std::optional<Job>& position : positions_)
        if (position && position->held) position.reset();
    start_next_copy(now);
}

void Machine::restart(int64_t now) {
    for (size_t i = 0; i < positions_.size(); ++i) finish_job(i, kJobWordCancelled);
    activity_ = Activity::Initialising;
    activity_until_ = now + times_.restart;
}

void Machine::start_rewrite(FirmwarePart part, FirmwareVersion version, bool restart_after, int64_t now) {
    rewrite_part_ = part;
    rewrite_version_ = version;
    rewrite_restart_ = restart_after;
    activity_ = Activity::Rewriting;
    switch (part) {
    case FirmwarePart::Main: activity_until_ = now + times_.rewrite_main; break;
    case FirmwarePart::Dsp: activity_until_ = now + times_.rewrite_dsp; break;
    case FirmwarePart::Table: activity_until_ = now + times_.rewrite_table; break;
    case FirmwarePart::Usb: activity_until_ = now + times_.rewrite_usb; break;
    }
}

void Machine::start_diagnosis(uint8_t mode, int64_t now) {
    diagnosis_mode_ = mode;
    activity_ = Activity::Diagnosing;
    activity_until_ = now + (mode == 1 ? times_.diagnosis_all : times_.diagnosis);
}

void Machine::set_error(PrinterError error, int64_t now) {
    error_ = error;
    for (std::optional<Job>& job : positions_)
        if (job && job->state == kJobPrinting && job->copy_left < 0) job->copy_left = std::max<int64_t>(0, job->copy_due - now);
}

void Machine::clear_error(int64_t now) {
    error_.reset();
    for (std::optional<Job>& job : positions_) {
        if (job && job->state == kJobPrinting && job->copy_left >= 0) {
            job->copy_due = now + job->copy_left;
            job->copy_left = -1;
        }
    }
    start_next_copy(now);
}

}  // namespace tz::emulator
