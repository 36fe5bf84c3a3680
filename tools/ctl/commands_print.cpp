// print: photos on one printer one after another, or on several printers at
// once (one thread each), followed until they are out.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <memory>
#include <set>
#include <thread>

#include "common/result_meanings.h"
#include "job_records.h"
#include "photo_loader.h"
#include "print_job.h"
#include "print_progress.h"
#include "platform/console.h"
#include "print_settings.h"
#include "tool.h"
#include "tzpusb.h"

namespace tz::ctl {

namespace {

// The library gives at most 100 threads a context of their own; one is this thread's.
constexpr size_t kMostPrinters = 99;

std::atomic<bool> g_interrupted{false};

// The first signal cancels; a second one ends the program at once.
extern "C" void on_print_signal(int number) {
    g_interrupted = true;
    std::signal(number, SIG_DFL);
}

// SIGINT and SIGTERM cancel the prints instead of ending the process, for as long as they run.
class CancelOnSignal {
public:
    CancelOnSignal() {
        g_interrupted = false;
        previous_int_ = std::signal(SIGINT, on_print_signal);
        previous_term_ = std::signal(SIGTERM, on_print_signal);
    }
    ~CancelOnSignal() {
        std::signal(SIGINT, previous_int_ == SIG_ERR ? SIG_DFL : previous_int_);
        std::signal(SIGTERM, previous_term_ == SIG_ERR ? SIG_DFL : previous_term_);
    }
    CancelOnSignal(const CancelOnSignal&) = delete;
    CancelOnSignal& operator=(const CancelOnSignal&) = delete;

private:
    void (*previous_int_)(int) = SIG_DFL;
    void (*previous_term_)(int) = SIG_DFL;
};

struct PrinterWork {
    std::string serial;
    std::vector<std::string> images;
    std::vector<PrintOutcome> outcomes;
};

std::string joined(const std::vector<std::string>& words) {
    std::string out;
    for (const auto& w : words) out += (out.empty() ? "" : ", ") + w;
    return out;
}

// Which printer prints which images: one --serial takes them all in turn;
// several take one image each, in the same order.
std::vector<PrinterWork> plan(const std::vector<std::string>& serials, const std::vector<std::string>& images) {
    std::set<std::string> seen;
    for (const std::string& serial : serials) {
        if (!valid_serial(serial)) throw UsageError("--serial " + serial + ": a serial is 8 letters, digits, '-' or '_'");
        if (!seen.insert(serial).second)
            throw UsageError("--serial " + serial + " is given twice; for several images on one printer give it once");
    }
    if (serials.size() > kMostPrinters)
        throw UsageError("at most " + std::to_string(kMostPrinters) + " printers at once");
    if (serials.size() > 1 && serials.size() != images.size())
        throw UsageError(std::to_string(serials.size()) + " printers (--serial) but " + std::to_string(images.size()) +
                         " images: several printers print one image each");
    std::vector<PrinterWork> work;
    if (serials.size() > 1) {
        for (size_t i = 0; i < serials.size(); ++i) work.push_back({serials[i], {images[i]}, {}});
    } else {
        work.push_back({serials.empty() ? std::string() : serials.front(), images, {}});
    }
    return work;
}

std::string size_text(const Size& s) { return std::to_string(s.width) + " x " + std::to_string(s.height); }

nlohmann::json outcome_document(const PrintOutcome& o) {
    nlohmann::json doc{{"serial", o.serial},
                       {"image", o.image},
                       {"print_id", o.print_id},
                       {"print_id_hex", print_id_text(o.print_id)},
                       {"outcome", o.outcome},
                       {"code", o.code},
                       {"message", o.message},
                       {"copies", o.copies},
                       {"printed", o.outcome == "unknown" ? nlohmann::json(nullptr) : nlohmann::json(o.printed)}};
    if (o.outcome == "error" || o.code != 0) doc["meaning"] = tools::result_meaning(o.code);
    if (o.area.width != 0) doc["print_area"] = {{"width", o.area.width}, {"height", o.area.height}};
    if (o.size.width != 0)
        doc["placed"] = {{"width", o.size.width},
                         {"height", o.size.height},
                         {"offset_x", o.offset.width},
                         {"offset_y", o.offset.height}};
    return doc;
}

std::string outcome_line(const PrintOutcome& o) {
    std::string line = o.serial + " " + o.image + ": " + o.outcome;
    if (o.outcome == "error" || (o.outcome != "done" && o.code != 0)) line += " " + tools::describe_result(o.code);
    if (!o.message.empty() && o.outcome != "done") line += ": " + o.message;
    if (o.print_id != 0) line += " (print ID " + print_id_text(o.print_id);
    if (o.print_id != 0 && o.size.width != 0)
        line += ", " + size_text(o.size) + " at " + std::to_string(o.offset.width) + "," +
                std::to_string(o.offset.height) + " in " + size_text(o.area);
    const std::string copies = std::to_string(o.copies) + " cop" + (o.copies == 1 ? "y" : "ies");
    // Nobody knows how many copies of an unknown outcome came out.
    if (o.print_id != 0)
        line += ", " + (o.outcome == "unknown" ? copies + " asked for" : std::to_string(o.printed) + " of " + copies) + ")";
    return line;
}

void run_print(Tool& tool, const PrintArgs& args) {
    PrintSettings settings = parse_print_settings(args);
    std::vector<PrinterWork> work = plan(tool.options.serials, args.images);
    VipsRuntime vips;
    for (const std::string& image : args.images) {
        try {
            read_photo_header(image);
        } catch (const std::exception& e) {
            throw UsageError(e.what());
        }
    }
    // One context for this thread and one for each printer's thread.
    tzpusb_MakeThread(static_cast<int>(work.size()) + 1);
    LibrarySession library;
    read_correction_files(settings);
    if (work.front().serial.empty()) {
        const std::vector<std::string> found = library.serials();
        if (found.empty()) throw Failure("no printer found", TZP_NO_PRINTER);
        if (found.size() > 1)
            throw UsageError(std::to_string(found.size()) + " printers attached (" + joined(found) +
                             "); choose one with --serial");
        work.front().serial = found.front();
    }

    {
        CancelOnSignal signals;
        PrintProgress progress(stderr, tz::platform::stderr_is_terminal());
        std::vector<std::jthread> threads;
        for (PrinterWork& printer : work)
            threads.emplace_back([&printer, &settings, &progress] {
                printer.outcomes = print_on_printer(printer.serial, printer.images, settings, progress, g_interrupted);
            });
    }  // every thread joined, the progress line ended

    nlohmann::json prints = nlohmann::json::array();
    std::string human;
    bool all_done = true, any_unknown = false;
    for (const PrinterWork& printer : work)
        for (const PrintOutcome& o : printer.outcomes) {
            prints.push_back(outcome_document(o));
            human += outcome_line(o) + "\n";
            if (o.outcome != "done") {
                all_done = false;
                any_unknown = any_unknown || o.outcome == "unknown";
                std::cerr << "TZ5170Ctl: " << outcome_line(o) << "\n";
            }
        }
    tool.emit({{"ok", all_done}, {"prints", prints}}, human);
    // A photo that may have printed must not be taken for one that did not.
    if (!all_done) tool.exit_status = any_unknown ? kExitUnknown : kExitFailure;
}

void register_print(CLI::App& app, Tool& tool) {
    auto args = std::make_shared<PrintArgs>();
    CLI::App* sub = app.add_subcommand("print", "print photos (JPEG, PNG, TIFF, WebP) and follow them until they are out");
    sub->add_option("IMAGE", args->images, "the photos; with several --serial, one per printer in the same order")
        ->required();
    sub->add_option("--area", args->area, "print area WIDTHxHEIGHT, even sides (default: the media size)");
    sub->add_flag("--fill", args->fill, "cover the whole area and cut off what stands out (default: fit inside, white borders)");
    sub->add_option("--format", args->format, "3: send RGB (default); 4: send BGR, which the library turns back");
    sub->add_option("--copies", args->copies, "copies of each image, 1-999 (default 1)");
    sub->add_option("--gamma", args->gamma, "gamma applied before printing (e.g. 1.8), or a file of three 256-byte tables");
    sub->add_option("--sharpen", args->sharpen,
                    "sharpening kernel: nine comma-separated coefficients in hundredths, or a kernel file");
    sub->add_option("--icc", args->icc, "colour matching from the SOURCE to the DESTINATION profile (two RGB ICC files)")
        ->expected(2);
    sub->add_option("--intent", args->intent, "rendering intent of the colour matching, 0-3 (default 0)");
    sub->add_option("--cut-list", args->cut_list, "cut positions, comma-separated (1-36 numbers 0-65535), or none (default)");
    sub->add_option("--laminate-string", args->laminate_strings, "SLOT:TEXT, slot 1-12, up to 20 bytes (repeatable)")
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    sub->add_option("--setting20", args->setting20, "print setting sent with each page (information tag 20), 0-255 (default 2)");
    sub->add_option("--setting30", args->setting30, "print setting sent with each page (information tag 30), 0-255 (default 0)");
    sub->add_option("--timeout", args->timeout,
                    "seconds to wait for each job, a lost printer included (default: 120 + 90 per copy)");
    sub->add_option("--error-wait", args->error_wait,
                    "seconds a printer error may last before the job is given up and cancelled (default 30)");
    // Not in the help: for comparing the streamed page with the earlier way.
    sub->add_flag("--whole-photo", args->whole_photo, "decode each photo in full before its page starts")->group("");
    sub->callback([&tool, args] {
        tool.several_serials = true;
        tool.action = [&tool, args] { run_print(tool, *args); };
    });
}

const CommandRegistration print_registration(92, register_print);

}  // namespace

}  // namespace tz::ctl
