#include "raster_job.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "application.h"
#include "common/result_meanings.h"
#include "page_printing.h"
#include "page_raster.h"
#include "printer_activity.h"
#include "printer_condition.h"
#include "printers.h"

namespace tz::app {

namespace {

constexpr int kLargestCopies = 999;
constexpr auto kLongestPage = std::chrono::hours(24);  // the page's own waits end long before

// What a job keeps between PAPPL's callbacks.
struct JobState {
    PrinterEntry* entry = nullptr;
    int job_id = 0;
    PageRequest request;
    Area job_area;
    std::vector<MediaSize> offered;
    LineFormat format;
    std::vector<uint8_t> pixels;
    std::vector<uint8_t> line;  // one converted line
    bool refused = false;
    bool monochrome = false;  // print-color-mode monochrome: grey, sent as RGB
};

JobState* state_of(pappl_job_t* job) { return static_cast<JobState*>(papplJobGetData(job)); }

int intent_of(pappl_job_t* job) {
    ipp_attribute_t* attribute = papplJobGetAttribute(job, "print-rendering-intent");
    const char* value = attribute ? ippGetString(attribute, 0, nullptr) : nullptr;
    const std::string intent = value ? value : "auto";
    if (intent == "relative") return 1;
    if (intent == "saturation") return 2;
    if (intent == "absolute") return 3;
    return 0;  // auto, perceptual
}

// The page's view of its job and printer, used on the printer's link thread.
class JobObserver final : public PageObserver {
public:
    explicit JobObserver(pappl_job_t* job) : job_(job), printer_(papplJobGetPrinter(job)) {}
    bool canceled() override { return papplJobIsCanceled(job_); }
    void printer_state(unsigned code) override { show_printer_state(printer_, code); }
    void held(unsigned code) override {
        papplJobSetReasons(job_, PAPPL_JREASON_PRINTER_STOPPED, PAPPL_JREASON_NONE);
        papplJobSetMessage(job_, "Waiting: %s. Printing goes on by itself once it is put right.",
                           tools::result_meaning(code).c_str());
        papplLogJob(job_, PAPPL_LOGLEVEL_WARN, "Held: %s.", tools::describe_result(code).c_str());
    }
    void resumed() override {
        papplJobSetReasons(job_, PAPPL_JREASON_NONE, PAPPL_JREASON_PRINTER_STOPPED);
        papplJobSetMessage(job_, "Printing.");
        papplLogJob(job_, PAPPL_LOGLEVEL_INFO, "Printing goes on.");
    }

private:
    pappl_job_t* job_;
    pappl_printer_t* printer_;
};

bool holder_gone(pappl_printer_t* printer, int job_id) {
    pappl_job_t* holder = papplPrinterFindJob(printer, job_id);
    return holder == nullptr || papplJobGetState(holder) >= IPP_JSTATE_STOPPED || papplJobIsCanceled(holder);
}

bool start_job(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device) {
    auto* entry = static_cast<PrinterEntry*>(papplDeviceGetData(device));
    pappl_printer_t* printer = papplJobGetPrinter(job);
    if (entry == nullptr) return false;
    const int id = papplJobGetID(job);
    // One job at a time on the printer: a second job waits here until the
    // first has ended.
    if (!entry->gate.enter(
            id, [printer](int holder) { return holder_gone(printer, holder); },
            [job, printer] { return papplJobIsCanceled(job) || papplPrinterIsDeleted(printer); }))
        return false;

    auto state = std::make_unique<JobState>();
    state->entry = entry;
    state->job_id = id;
    PageRequest& request = state->request;
    // The printer makes the copies (tzpusb_copies), so PAPPL renders the
    // page once.
    request.copies = std::clamp(options->copies, 1, kLargestCopies);
    options->copies = 1;
    request.finish = finish_setting(options->media.type).value_or(0);
    request.sharpen = options->print_quality == IPP_QUALITY_HIGH;
    state->monochrome = options->print_color_mode == PAPPL_COLOR_MODE_MONOCHROME;
    request.intent = intent_of(job);
    pappl_pr_driver_data_t driver{};
    papplPrinterGetDriverData(printer, &driver);
    if (auto* app = static_cast<Application*>(driver.extension)) {
        const char* name = cupsGetOption(kProfileAttribute, options->num_vendor, options->vendor);
        request.output_profile = app->profiles.file_for(name ? name : app->profiles.default_name);
        request.source_profile = app->profiles.source;
        if (request.source_profile.empty()) request.output_profile.clear();
    }
    state->job_area = area_for_size(options->media.size_width, options->media.size_length);
    {
        std::lock_guard guard(entry->lock);
        state->offered = sizes_for(entry->media.value_or(factory_media()));
    }
    papplJobSetData(job, state.release());
    return true;
}

bool start_page(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t*, unsigned) {
    JobState* state = state_of(job);
    if (state == nullptr) return false;
    std::string refusal;
    auto format = line_format_for(options->header);
    if (auto* message = std::get_if<std::string>(&format)) {
        refusal = *message;
    } else {
        state->format = std::get<LineFormat>(format);
        auto placement = place_page(state->format.width, state->format.height, state->job_area, state->offered);
        if (auto* message = std::get_if<std::string>(&placement)) {
            refusal = *message;
        } else {
            const Placement& place = std::get<Placement>(placement);
            state->request.area = place.area;
            state->request.offset_x = place.offset_x;
            state->request.offset_y = place.offset_y;
        }
    }
    if (!refusal.empty()) {
        state->refused = true;
        papplJobSetMessage(job, "Not printed: %s.", refusal.c_str());
        papplJobSetReasons(job, PAPPL_JREASON_DOCUMENT_UNPRINTABLE_ERROR, PAPPL_JREASON_NONE);
        papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "Page refused: %s.", refusal.c_str());
        return false;
    }
    state->request.width = state->format.width;
    state->request.height = state->format.height;
    state->pixels.assign(size_t(state->format.width) * size_t(state->format.height) * 3, 0xFF);
    return true;
}

bool write_line(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t*, unsigned y, const unsigned char* line) {
    JobState* state = state_of(job);
    if (state == nullptr || state->refused || y >= unsigned(state->format.height)) return state != nullptr;
    uint8_t* rgb = state->pixels.data() + size_t(y) * size_t(state->format.width) * 3;
    convert_line(state->format, line, rgb);
    if (state->monochrome) make_grey(rgb, state->format.width);
    return true;
}

bool end_page(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t*, unsigned) {
    JobState* state = state_of(job);
    if (state == nullptr || state->refused) return false;
    // PAPPL hands over every line even after a cancel; the page waits here
    // until it is whole, and a canceled job's page is never sent.
    if (papplJobIsCanceled(job)) {
        state->pixels.clear();
        return true;
    }
    state->request.pixels = &state->pixels;
    PrinterLink& link = state->entry->link;
    const PageRequest& request = state->request;
    auto outcome = link.call<PageOutcome>(
        [&link, &request, job] {
            JobObserver observer(job);
            return print_page(link, request, observer);
        },
        std::chrono::duration_cast<std::chrono::milliseconds>(kLongestPage));
    state->pixels.clear();
    if (!outcome) {
        papplJobSetMessage(job, "Not printed: the printer's link did not finish the page.");
        return false;
    }
    papplLogJob(job, PAPPL_LOGLEVEL_INFO, "Page: %s.", outcome->message.c_str());
    if (outcome->kind == PageOutcome::Kind::Failed) {
        papplJobSetMessage(job, "Not printed: %s.", outcome->message.c_str());
        return false;
    }
    papplJobSetMessage(job, "%s", outcome->kind == PageOutcome::Kind::Printed ? "Printed." : "Canceled.");
    return true;
}

bool end_job(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t*) {
    std::unique_ptr<JobState> state(state_of(job));
    papplJobSetData(job, nullptr);
    if (state) state->entry->gate.leave(state->job_id);
    return true;
}

}  // namespace

void set_raster_callbacks(pappl_pr_driver_data_t& data) {
    data.rstartjob_cb = start_job;
    data.rstartpage_cb = start_page;
    data.rwriteline_cb = write_line;
    data.rendpage_cb = end_page;
    data.rendjob_cb = end_job;
}

}  // namespace tz::app
