#include "page_printing.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "common/result_meanings.h"
#include "printer_condition.h"
#include "tzpusb.h"

namespace tz::app {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kPoll{400};
constexpr size_t kWriteChunkBytes = 1 << 20;
constexpr int kSendAttempts = 3;  // a page broken off by a lost link is sent again, as a whole
constexpr int kSharpenKernel[9] = {0, -10, 0, -10, 140, -10, 0, -10, 0};  // hundredths

// How long the printer has been away, while it is.
class Away {
public:
    // True once it has been away `limit` or longer.
    bool for_at_least(Clock::time_point now, std::chrono::seconds limit) {
        if (!away_) start_ = now;
        away_ = true;
        return now - start_ >= limit;
    }
    void back() { away_ = false; }

private:
    bool away_ = false;
    Clock::time_point start_{};
};

PageOutcome outcome(PageOutcome::Kind kind, std::string message) { return PageOutcome{kind, std::move(message)}; }

std::string describe(unsigned code) { return tools::describe_result(code); }

// Is the job still in one of the printer's two job positions? Nothing when
// the printer does not say.
std::optional<bool> job_in_printer(uint16_t print_id) {
    uint8_t records[18] = {};
    uint32_t size = sizeof records;
    if (!tzpusb_getPrinterInfo(PINFTAG_JOBS, records, &size) || size != sizeof records) return std::nullopt;
    for (int i = 0; i < 2; ++i) {
        const uint8_t* r = records + 9 * i;
        if (r[8] != 0 && uint16_t(r[1] << 8 | r[0]) == print_id) return true;
    }
    return false;
}

class PageRun {
public:
    PageRun(PrinterLink& link, const PageRequest& page, PageObserver& observer, const PageLimits& limits)
        : link_(link), page_(page), observer_(observer), limits_(limits) {}

    PageOutcome run() {
        for (int attempt = 1;; ++attempt) {
            std::optional<PageOutcome> early = wait_and_start();
            if (early) return *early;
            const unsigned sent = send();
            uint16_t code = 0;
            tzpusb_endpage(&code);
            if (sent == TZP_OK) return follow();
            link_.lost();
            if (attempt == kSendAttempts)
                return outcome(PageOutcome::Kind::Failed, "the page could not be sent: " + describe(sent));
        }
    }

private:
    // The printer ready and the page started; an outcome when the page
    // ends before that.
    std::optional<PageOutcome> wait_and_start() {
        const auto busy_deadline = Clock::now() + std::chrono::seconds(limits_.busy_seconds);
        Away away;
        for (;;) {
            if (observer_.canceled()) return outcome(PageOutcome::Kind::Canceled, "canceled before it was sent");
            unsigned code = link_.select();
            if (code == TZP_OK) code = set_up();
            if (code == TZP_OK) {
                if (observer_.canceled()) return outcome(PageOutcome::Kind::Canceled, "canceled before it was sent");
                uint16_t result = 0;
                if (tzpusb_startpage(&print_id_, &result)) {
                    release_hold();
                    return std::nullopt;
                }
                code = result;
            }
            const auto now = Clock::now();
            if (is_unreachable(code)) {
                link_.lost();
                if (away.for_at_least(now, std::chrono::seconds(limits_.away_seconds)))
                    return outcome(PageOutcome::Kind::Failed, "the printer stayed away: " + describe(code));
                hold(code);
            } else if (is_printer_error(code)) {
                away.back();
                hold(code);  // as long as it takes: nobody has to resume anything
            } else if (is_waiting_state(code)) {
                away.back();
                observer_.printer_state(code);
                if (now >= busy_deadline)
                    return outcome(PageOutcome::Kind::Failed, "the printer took no page in time: " + describe(code));
            } else {
                return outcome(PageOutcome::Kind::Failed, failure_text(code));
            }
            if (!link_.serve_for(kPoll)) return outcome(PageOutcome::Kind::Failed, "the printer application stops");
        }
    }

    std::string failure_text(unsigned code) const {
        if (code == TZP_NO_PAPER_INFO)
            return "the print area " + std::to_string(page_.area.width) + " x " + std::to_string(page_.area.height) +
                   " does not fit the loaded media";
        return "the printer refused the page: " + describe(code);
    }

    // Everything that goes with the page; the library's code.
    unsigned set_up() {
        uint16_t code = 0;
        uint8_t area[10] = {};
        const auto width = uint16_t(page_.area.width), height = uint16_t(page_.area.height);
        std::memcpy(area + 1, &width, 2);
        std::memcpy(area + 3, &height, 2);
        uint32_t size = sizeof area;
        if (!tzpusb_setPrinterInfo(PINFTAG_MEDIA, area, &size, &code)) return code;
        const uint16_t setting20 = 2, setting30 = uint16_t(page_.finish);
        size = sizeof setting20;
        if (!tzpusb_setPrinterInfo(PINFTAG_SETTING20, &setting20, &size, &code)) return code;
        size = sizeof setting30;
        if (!tzpusb_setPrinterInfo(PINFTAG_SETTING30, &setting30, &size, &code)) return code;
        tzpusb_setmtf(page_.sharpen ? kSharpenKernel : nullptr);
        const bool matching = !page_.output_profile.empty();
        if (!tzpusb_setIcctable(matching ? page_.source_profile.c_str() : nullptr,
                                matching ? page_.output_profile.c_str() : nullptr, page_.intent, nullptr, nullptr,
                                nullptr, nullptr, nullptr, nullptr, &code))
            return code != 0 ? code : unsigned{TZP_FILE_ERROR};
        if (!tzpusb_copies(page_.copies, &code)) return code;
        if (!tzpusb_setCutList(nullptr, &code)) return code;
        if (!tzpusb_imageformat(3, 3, 8, page_.width, page_.height, page_.offset_x, page_.offset_y, &code))
            return code != 0 ? code : unsigned{TZP_BAD_PARAMETER};
        return TZP_OK;
    }

    // The whole page, in pieces of whole lines; the code of a failed write.
    unsigned send() {
        const std::vector<uint8_t>& pixels = *page_.pixels;
        const size_t line = size_t(page_.width) * 3;
        const size_t chunk = std::max<size_t>(1, kWriteChunkBytes / line) * line;
        for (size_t at = 0; at < pixels.size();) {
            uint32_t count = uint32_t(std::min(chunk, pixels.size() - at));
            uint16_t code = 0;
            if (!tzpusb_write(pixels.data() + at, &count, &code) || count == 0)
                return code != 0 ? code : unsigned{TZP_USB_ERROR};
            at += count;
        }
        return TZP_OK;
    }

    // Until the job has left the printer.
    PageOutcome follow() {
        Away away;
        bool cancel_sent = false;
        for (;;) {
            if (!cancel_sent && observer_.canceled()) {
                uint16_t code = 0;
                tzpusb_cancelCopies(print_id_, &code);
                cancel_sent = true;
            }
            uint16_t values[4] = {}, result = 0;
            const bool answered = tzpusb_getPrintIDStatus(print_id_, values, &result) != 0;
            const std::optional<bool> present = answered ? job_in_printer(print_id_) : std::nullopt;
            uint16_t state = 0;
            if (answered && present) tzpusb_status(&state);
            const auto now = Clock::now();
            if (!answered || !present || is_unreachable(state)) {
                const unsigned code = !answered ? result : unsigned{TZP_USB_ERROR};
                link_.lost();
                if (away.for_at_least(now, std::chrono::seconds(limits_.away_seconds)))
                    return outcome(PageOutcome::Kind::Failed, "lost the printer while it printed the page: " + describe(code));
                hold(code);
            } else if (!*present) {
                release_hold();
                // The job may have ended between the two questions.
                if (values[3] != 2212) tzpusb_getPrintIDStatus(print_id_, values, &result);
                const bool finished = values[3] == 2212;
                if (cancel_sent)
                    return outcome(PageOutcome::Kind::Canceled,
                                   finished ? "canceled; the copy being printed came out" : "canceled at the printer");
                if (finished) return outcome(PageOutcome::Kind::Printed, "printed");
                return outcome(PageOutcome::Kind::Failed, "the job left the printer unfinished");
            } else {
                away.back();
                if (is_printer_error(state))
                    hold(state);
                else {
                    release_hold();
                    observer_.printer_state(state);
                }
            }
            if (!link_.serve_for(kPoll)) return outcome(PageOutcome::Kind::Failed, "the printer application stops");
        }
    }

    void hold(unsigned code) {
        observer_.printer_state(code);
        if (held_ != code) observer_.held(code);
        held_ = code;
    }
    void release_hold() {
        if (held_ != 0) observer_.resumed();
        held_ = 0;
    }

    PrinterLink& link_;
    const PageRequest& page_;
    PageObserver& observer_;
    const PageLimits& limits_;
    uint16_t print_id_ = 0;
    unsigned held_ = 0;
};

}  // namespace

PageOutcome print_page(PrinterLink& link, const PageRequest& page, PageObserver& observer, const PageLimits& limits) {
    return PageRun(link, page, observer, limits).run();
}

}  // namespace tz::app
