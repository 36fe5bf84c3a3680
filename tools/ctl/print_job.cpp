#include "print_job.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <thread>
#include <utility>

#include "byteorder/little_endian.h"
#include "common/result_meanings.h"
#include "job_outcome.h"
#include "job_records.h"
#include "photo_stream.h"
#include "tzpusb.h"

namespace tz::ctl {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kPollInterval{200};
// Longer than any one transfer of a page may take before the library gives up on it.
constexpr std::chrono::minutes kStalledTransfer{5};
constexpr uint8_t kJobPrinting = 0x12;  // the job state of a job whose copies are under way

bool is_waiting_state(unsigned code) {
    return code == TZP_BUSY || code == TZP_PRINTER_IN_USE ||
           (code >= TZP_MAIN_INITIALISING && code <= TZP_DOWNLOADING);
}

// A state the printer reports that stops printing until somebody puts it right.
bool is_printer_error(unsigned code) {
    return code != TZP_OK && !is_waiting_state(code) && !(code >= TZP_STATE_LETTER_A && code <= TZP_NO_STATE_LETTER) &&
           !tools::is_communication_failure(code);
}

Clock::duration seconds(double s) { return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(s)); }

// When a condition began, while it lasts.
class Since {
public:
    // Notes the condition now; true the first time.
    bool mark(Clock::time_point now) {
        if (active_) return false;
        active_ = true;
        start_ = now;
        return true;
    }
    bool reset() { return std::exchange(active_, false); }
    bool lasted(Clock::time_point now, Clock::duration limit) const { return active_ && now - start_ >= limit; }

private:
    bool active_ = false;
    Clock::time_point start_{};
};

// Sleeps for `time` in short steps; false when asked to stop meanwhile.
bool pause(const std::atomic<bool>& stop, milliseconds time) {
    const auto until = Clock::now() + time;
    while (Clock::now() < until) {
        if (stop) return false;
        std::this_thread::sleep_for(std::min<Clock::duration>(milliseconds(20), until - Clock::now()));
    }
    return !stop;
}

// What the tool keeps in mind about one page while it follows the job.
struct JobWatch {
    uint8_t job = 0;                         // the job number, the print ID's low byte
    std::optional<uint32_t> counter_before;  // the print counter before the page
    bool others = false;                     // other jobs were in the printer
    bool cancel_sent = false;
    unsigned lost_code = 0;  // why the printer was lost while the job was followed; 0: never
    bool away = false;       // lost now
};

class PrinterRun {
public:
    PrinterRun(const std::string& serial, const PrintSettings& settings, PrintProgress& progress,
               const std::atomic<bool>& stop)
        : serial_(serial), settings_(settings), progress_(progress), stop_(stop) {}

    // The printer chosen and set up; false with `failure` filled.
    bool prepare(PrintOutcome& failure) {
        uint8_t media[13] = {};
        uint32_t size = sizeof media;
        if (!tzpusb_getPrinterInfo(PINFTAG_MEDIA, media, &size) || size < 8) {
            uint16_t status = 0;
            tzpusb_status(&status);
            return fail(failure, status != 0 ? status : unsigned{TZP_USB_ERROR}, "cannot read the media size");
        }
        const int media_width = tz::read_le16(media + 4), media_height = tz::read_le16(media + 6);
        // The printer takes even sides only.
        area_ = settings_.area ? *settings_.area : Size{media_width & ~1, media_height & ~1};
        failure.area = area_;
        if (area_.width < 2 || area_.height < 2 || area_.width > media_width || area_.height > media_height)
            return fail(failure, TZP_NO_PAPER_INFO,
                        "print area " + std::to_string(area_.width) + " x " + std::to_string(area_.height) +
                            " does not fit the media (" + std::to_string(media_width) + " x " +
                            std::to_string(media_height) + ")");
        uint16_t code = 0;
        std::string what;
        if (!apply_printer_settings(settings_, area_, code, what)) return fail(failure, code, "cannot set the " + what);
        return true;
    }

    void print(const std::string& image, PrintOutcome& outcome) {
        outcome.area = area_;
        outcome.copies = static_cast<unsigned>(settings_.copies);
        const size_t slot = progress_.add(serial_ + " " + std::filesystem::path(image).filename().string());
        print_page(image, outcome, slot);
        if (outcome.outcome == "done") progress_.printing(slot, outcome.copies, outcome.copies);
        progress_.finished(slot);
    }

private:
    bool fail(PrintOutcome& outcome, unsigned code, const std::string& message) {
        outcome.outcome = "error";
        outcome.code = code;
        outcome.message = message;
        return false;
    }
    void cancelled(PrintOutcome& outcome, const std::string& message) {
        outcome.outcome = "cancelled";
        outcome.code = 0;
        outcome.message = message;
    }
    // The job may have printed, or may print yet: nobody can say it did not.
    void unknown(PrintOutcome& outcome, unsigned code, const std::string& message) {
        outcome.outcome = "unknown";
        outcome.code = code;
        outcome.message = message;
    }

    Clock::duration time_limit() const {
        // Generous: a copy takes some seconds; waiting for a free job position
        // and the transfer come on top.
        return seconds(settings_.timeout_s > 0 ? settings_.timeout_s : 120.0 + 90.0 * settings_.copies);
    }

    void print_page(const std::string& image, PrintOutcome& outcome, size_t slot) {
        if (stop_) return cancelled(outcome, "not started");
        if (broken_off_ != 0) {
            // The printer would take whatever comes next as the rest of that page.
            fail(outcome, broken_off_, "not started: the page before it on this printer was broken off");
            return;
        }
        std::unique_ptr<PhotoStream> photo;
        try {
            // The decoding waits for the page as long as the page may wait
            // for the printer, and a stalled transfer on top.
            photo = std::make_unique<PhotoStream>(
                image, area_.width, area_.height, settings_.placement, settings_.format == 4,
                settings_.whole_photo ? PhotoStream::Decoding::WholeFirst : PhotoStream::Decoding::Streamed,
                time_limit() + kStalledTransfer);
        } catch (const std::exception& e) {
            fail(outcome, TZP_FILE_ERROR, e.what());
            return;
        }
        outcome.size = {photo->width(), photo->height()};
        outcome.offset = {(area_.width - photo->width()) / 2, (area_.height - photo->height()) / 2};

        uint16_t code = 0;
        std::string what;
        if (!tzpusb_imageformat(settings_.format, 3, 8, photo->width(), photo->height(), outcome.offset.width,
                                outcome.offset.height, &code)) {
            fail(outcome, code, "the printer's print area does not take the image");
            return;
        }
        if (!apply_page_settings(settings_, code, what)) {
            fail(outcome, code, "cannot set the " + what);
            return;
        }
        JobWatch watch = begin_watch();
        // A photo that cannot be decoded from its first lines on starts no
        // page, and the printer's next photo is printed as before.
        std::span<const uint8_t> first;
        try {
            first = photo->next();
        } catch (const std::exception& e) {
            fail(outcome, TZP_FILE_ERROR, e.what());
            return;
        }
        uint16_t id = 0;
        if (!start_page(id, outcome, watch)) return;
        outcome.print_id = id;
        watch.job = static_cast<uint8_t>(id & 0xFF);
        const bool sent = send_page(*photo, first, outcome, slot);
        uint16_t end_code = 0;
        tzpusb_endpage(&end_code);
        photo.reset();
        if (!sent) {
            broken_off_ = outcome.code != 0 ? outcome.code : unsigned{TZP_USB_ERROR};
            return;
        }
        follow(outcome, slot, watch);
    }

    // What the printer holds before the page: the print counter, to count
    // the copies that come out, and whether other jobs are there to print some.
    JobWatch begin_watch() {
        JobWatch watch;
        uint32_t counter = 0;
        if (read_print_counter(counter)) watch.counter_before = counter;
        JobRecords records;
        watch.others = !read_job_records(records) || records.positions[0].present() || records.positions[1].present();
        return watch;
    }

    // Opens the page, waiting while both job positions are taken or the
    // printer initialises, and for a printer error at most the error wait.
    bool start_page(uint16_t& id, PrintOutcome& outcome, JobWatch& watch) {
        const auto deadline = Clock::now() + time_limit();
        Since error_since;
        unsigned last_reported = 0;
        for (;;) {
            uint16_t code = 0;
            if (tzpusb_startpage(&id, &code)) return true;
            const auto now = Clock::now();
            if (code == TZP_BUSY) watch.others = true;
            if (is_printer_error(code)) {
                error_since.mark(now);
                if (code != last_reported)
                    progress_.note(serial_ + ": " + tools::describe_result(code) + "; waiting for it to be put right");
                last_reported = code;
                if (error_since.lasted(now, seconds(settings_.error_wait_s)))
                    return fail(outcome, code, "printer error before the page could start");
            } else if (!is_waiting_state(code)) {
                return fail(outcome, code, "cannot start the page");
            } else {
                error_since.reset();
            }
            if (now >= deadline) return fail(outcome, code, "the printer took no new page in time");
            if (!pause(stop_, milliseconds(200))) {
                cancelled(outcome, "not started");
                return false;
            }
        }
    }

    // Sends `band` and the photo's bands after it as they are decoded. A
    // photo that cannot be decoded to its end, like an interruption, breaks
    // the page off: nothing but the rest of its data may follow a page that
    // was begun, so the job cannot be cancelled now, and the printer drops a
    // page whose data stops coming (at once when the connection ends).
    bool send_page(PhotoStream& photo, std::span<const uint8_t> band, PrintOutcome& outcome, size_t slot) {
        const size_t total = size_t(photo.width()) * photo.height() * 3;
        size_t sent = 0;
        for (; !band.empty(); band = next_band(photo, outcome)) {
            if (stop_) {
                cancelled(outcome, "interrupted while the page was being sent; the printer drops the incomplete page");
                return false;
            }
            for (size_t at = 0; at < band.size();) {
                uint32_t count = static_cast<uint32_t>(band.size() - at);
                uint16_t code = 0;
                if (!tzpusb_write(band.data() + at, &count, &code) || count == 0) {
                    fail(outcome, code != 0 ? code : unsigned{TZP_USB_ERROR}, "sending the page failed");
                    return false;
                }
                at += count;
            }
            sent += band.size();
            progress_.sending(slot, double(sent) / total);
        }
        if (sent == total) return true;
        if (outcome.code == 0)  // the lines ended early without a reason given
            fail(outcome, TZP_FILE_ERROR,
                 "the photo's lines ended early; the page was broken off, the printer drops the incomplete page");
        return false;
    }

    // The next band; none, with `outcome` failed, when the photo cannot be decoded further.
    std::span<const uint8_t> next_band(PhotoStream& photo, PrintOutcome& outcome) {
        try {
            return photo.next();
        } catch (const std::exception& e) {
            fail(outcome, TZP_FILE_ERROR,
                 std::string(e.what()) + "; the page was broken off, the printer drops the incomplete page");
            return {};
        }
    }

    // Follows the job until it has left the printer, or until what becomes
    // of it can no longer be known in time. A printer that is lost meanwhile
    // is waited for, and asked what became of the job when it is back.
    void follow(PrintOutcome& outcome, size_t slot, JobWatch& watch) {
        const auto deadline = Clock::now() + time_limit();
        Since error_since;
        unsigned reported_error = 0;
        for (;;) {
            const auto now = Clock::now();
            JobRecords records;
            uint16_t code = 0;
            if (!read_records(records, code)) {
                if (code != TZP_PRINTER_IN_USE) lost(watch, code);
                if (now >= deadline)
                    return unknown(outcome, watch.lost_code != 0 ? watch.lost_code : code,
                                   "lost the printer while following the job; it did not come back in time");
                pause_briefly();
                continue;
            }
            if (watch.away) {
                watch.away = false;
                progress_.note(serial_ + ": the printer is back");
            }
            const JobRecord* record = find_job(records, watch);
            if (record == nullptr) return settle(outcome, records, watch, 0);
            outcome.printed = record->printed;
            progress_.printing(slot, record->printed, record->copies);
            if (stop_ && !watch.cancel_sent) {
                // Only a job still in the printer is cancelled; one that has
                // just left it is reported as it ended.
                uint16_t cancel_code = 0;
                if (!tzpusb_cancelCopies(current_id(records, watch), &cancel_code))
                    progress_.note(serial_ + ": cancelling " + print_id_text(outcome.print_id) + " failed: " +
                                   tools::describe_result(cancel_code));
                watch.cancel_sent = true;
            }
            uint16_t state = 0;
            tzpusb_status(&state);
            if (is_printer_error(state)) {
                error_since.mark(now);
                if (state != reported_error)
                    progress_.note(serial_ + ": " + tools::describe_result(state) + "; waiting for it to be put right");
                reported_error = state;
                if (error_since.lasted(now, seconds(settings_.error_wait_s)))
                    return give_up(outcome, records, watch, state);
            } else if (error_since.reset()) {
                reported_error = 0;
                progress_.note(serial_ + ": printing again");
            }
            if (now >= deadline)
                return unknown(outcome, state,
                               "no end of the job in time; it stays in the printer as " + print_id_text(outcome.print_id));
            pause_briefly();
        }
    }

    // The job records, or why they cannot be read.
    static bool read_records(JobRecords& records, uint16_t& code) {
        if (read_job_records(records)) return true;
        code = 0;
        tzpusb_status(&code);  // the record read has no code of its own; the state tells why
        if (!tools::is_communication_failure(code)) code = TZP_USB_ERROR;
        return false;
    }

    // The printer does not answer: unplugged, switched off, hanging. Once the
    // library has let go of it, it is listed and selected again as soon as it
    // is back (perhaps under another index, the print IDs' high byte).
    void lost(JobWatch& watch, unsigned code) {
        if (!watch.away)
            progress_.note(serial_ + ": lost the printer, " + tools::describe_result(code) +
                           "; waiting for it to come back");
        watch.away = true;
        if (watch.lost_code == 0) watch.lost_code = code;
        if (code != TZP_NOT_RECOGNISED) return;
        char serials[1024] = {};
        tzpusb_listupPrinterSN(serials);
        uint16_t result = 0;
        tzpusb_selectPrinterSN(serial_.c_str(), &result);
    }

    // The job's record, found by its job number; notes any other job.
    static const JobRecord* find_job(const JobRecords& records, JobWatch& watch) {
        const JobRecord* found = nullptr;
        for (const JobRecord& record : records.positions) {
            if (!record.present()) continue;
            if (record.job == watch.job)
                found = &record;
            else
                watch.others = true;
        }
        return found;
    }

    static uint16_t current_id(const JobRecords& records, const JobWatch& watch) {
        return static_cast<uint16_t>(records.printer_index() << 8 | watch.job);
    }

    // A printer error has lasted longer than the error wait: the job is
    // cancelled, so that it does not print later, unasked, once the error is
    // put right. The printer acknowledges a cancel while the error is on, yet
    // the copy under the head comes out all the same: the job counts as
    // cancelled only once the printer has dropped it.
    void give_up(PrintOutcome& outcome, const JobRecords& records, JobWatch& watch, unsigned state) {
        uint16_t code = 0;
        tzpusb_cancelCopies(current_id(records, watch), &code);
        watch.cancel_sent = true;
        JobRecords after;
        if (!read_records(after, code))
            return unknown(outcome, state, "printer error; whether the job is cancelled cannot be told");
        const JobRecord* record = find_job(after, watch);
        if (record == nullptr) return settle(outcome, after, watch, state);
        outcome.printed = record->printed;
        if (record->state == kJobPrinting)
            return unknown(outcome, state,
                           "printer error; the job cannot be cancelled while a copy is under the head: it stays in "
                           "the printer, and the copy comes out once the error is put right");
        unknown(outcome, state, "printer error; the printer did not drop the job: it stays in the printer");
    }

    // The job has left the printer: what became of it. `error` is the
    // printer error it was given up for (0: none).
    void settle(PrintOutcome& outcome, const JobRecords& records, const JobWatch& watch, unsigned error) {
        LeftJob left;
        left.copies = outcome.copies;
        left.others = watch.others;
        PrintIdStatus status;
        uint16_t result = 0;
        left.finished = read_print_id_status(current_id(records, watch), status, result) && status.code == 2212;
        uint32_t counter = 0;
        if (watch.counter_before && read_print_counter(counter)) left.counter_rise = counter - *watch.counter_before;
        const JobEnd end = judge_left_job(left);
        switch (end.kind) {
        case JobEnd::Kind::Printed:
            outcome.outcome = "done";
            outcome.code = 0;
            outcome.printed = outcome.copies;
            outcome.message = "printed";
            return;
        case JobEnd::Kind::Stopped:
            outcome.printed = end.printed;
            if (error != 0) {
                cancelled(outcome, "printer error; the job is cancelled");
                outcome.code = error;
            } else if (watch.cancel_sent) {
                cancelled(outcome, "interrupted; the job is cancelled");
            } else if (watch.lost_code != 0) {
                fail(outcome, watch.lost_code, "lost the printer while following the job; the printer dropped the job");
            } else {
                cancelled(outcome, "the job left the printer unfinished (cancelled at the printer or by another program)");
            }
            return;
        case JobEnd::Kind::Unknown:
            unknown(outcome, error != 0 ? error : watch.lost_code,
                    std::string("the job left the printer, and whether it printed cannot be told") +
                        (watch.lost_code != 0 ? " (the printer was lost while the job was followed)" : ""));
            return;
        }
    }

    void pause_briefly() { std::this_thread::sleep_for(kPollInterval); }

    std::string serial_;
    const PrintSettings& settings_;
    PrintProgress& progress_;
    const std::atomic<bool>& stop_;
    Size area_;
    unsigned broken_off_ = 0;  // the code of a page whose data stopped half way
};

}  // namespace

std::vector<PrintOutcome> print_on_printer(const std::string& serial, const std::vector<std::string>& images,
                                           const PrintSettings& settings, PrintProgress& progress,
                                           const std::atomic<bool>& stop) {
    std::vector<PrintOutcome> outcomes(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        outcomes[i].serial = serial;
        outcomes[i].image = images[i];
        outcomes[i].copies = static_cast<unsigned>(settings.copies);
    }
    auto all_fail = [&](unsigned code, const std::string& message) {
        for (PrintOutcome& o : outcomes) {
            o.outcome = "error";
            o.code = code;
            o.message = message;
        }
    };
    try {
        GlobalOptions options;
        options.serial = serial;
        PrinterSession session(options);
        PrinterRun run(serial, settings, progress, stop);
        PrintOutcome failure;
        if (!run.prepare(failure)) {
            for (PrintOutcome& o : outcomes) {
                o.code = failure.code;
                o.message = failure.message;
                o.area = failure.area;
            }
            return outcomes;
        }
        for (PrintOutcome& outcome : outcomes) run.print(outcome.image, outcome);
    } catch (const Failure& e) {
        all_fail(e.code(), e.what());
    } catch (const UsageError& e) {
        all_fail(TZP_NOT_FOUND, e.what());
    } catch (const std::exception& e) {
        all_fail(TZP_NO_MEMORY, e.what());
    }
    return outcomes;
}

}  // namespace tz::ctl
