// status (and status --watch), led, reset, wake: the printer's state and its
// small device actions.
#include <chrono>
#include <csignal>
#include <ctime>
#include <iostream>
#include <memory>
#include <thread>

#include "common/result_meanings.h"
#include "tool.h"
#include "tzpusb.h"

namespace tz::ctl {

namespace {

volatile std::sig_atomic_t g_stop = 0;

extern "C" void on_stop_signal(int) { g_stop = 1; }

// SIGINT and SIGTERM end the watch loop instead of the process, for as long as it runs.
class StopSignals {
public:
    StopSignals() {
        g_stop = 0;
        previous_int_ = std::signal(SIGINT, on_stop_signal);
        previous_term_ = std::signal(SIGTERM, on_stop_signal);
    }
    ~StopSignals() {
        std::signal(SIGINT, previous_int_ == SIG_ERR ? SIG_DFL : previous_int_);
        std::signal(SIGTERM, previous_term_ == SIG_ERR ? SIG_DFL : previous_term_);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;
    bool stopped() const { return g_stop != 0; }

private:
    void (*previous_int_)(int) = SIG_DFL;
    void (*previous_term_)(int) = SIG_DFL;
};

std::string time_stamp() {
    auto now = std::chrono::system_clock::now();
    std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", std::gmtime(&seconds));
    char full[48];
    std::snprintf(full, sizeof full, "%s.%03dZ", text, static_cast<int>(millis));
    return full;
}

nlohmann::json status_document(const std::string& serial, unsigned code) {
    return {{"serial", serial},
            {"code", code},
            {"meaning", tools::result_meaning(code)},
            {"ready", code == TZP_OK}};
}

unsigned ask_status() {
    uint16_t result = 0;
    tzpusb_status(&result);
    return result;
}

struct StatusArgs {
    bool watch = false;
    long long count = 0;
    long long interval_ms = 200;
    double timeout_s = 0;
};

void run_status(const Tool& tool, const StatusArgs& args) {
    PrinterSession session(tool.options);
    if (!args.watch) {
        unsigned code = ask_status();
        if (tools::is_communication_failure(code)) throw Failure("status inquiry failed on " + session.serial(), code);
        tool.emit(status_document(session.serial(), code),
                  session.serial() + ": " + tools::describe_result(code));
        return;
    }
    StopSignals signals;
    auto start = std::chrono::steady_clock::now();
    bool have_last = false;
    unsigned last = 0;
    long long lines = 0;
    while (!signals.stopped()) {
        unsigned code = ask_status();
        if (!have_last || code != last) {
            have_last = true;
            last = code;
            nlohmann::json line = status_document(session.serial(), code);
            line["time"] = time_stamp();
            if (tool.options.json)
                std::cout << line.dump() << '\n';
            else
                std::cout << line["time"].get<std::string>() << ' ' << session.serial() << ' '
                          << tools::describe_result(code) << '\n';
            std::cout.flush();
            if (args.count > 0 && ++lines >= args.count) break;
        }
        // Sleep in short steps so that a signal ends the watch promptly.
        auto wake = std::chrono::steady_clock::now() + std::chrono::milliseconds(args.interval_ms);
        while (!signals.stopped() && std::chrono::steady_clock::now() < wake)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (args.timeout_s > 0 &&
            std::chrono::steady_clock::now() - start >= std::chrono::duration<double>(args.timeout_s))
            break;
    }
}

void register_status(CLI::App& app, Tool& tool) {
    auto args = std::make_shared<StatusArgs>();
    CLI::App* sub = app.add_subcommand("status", "the printer's state as a result code and its meaning");
    sub->add_flag("--watch", args->watch, "print one line with a time stamp each time the state changes");
    sub->add_option("--count", args->count, "with --watch: stop after N lines")->check(CLI::PositiveNumber);
    sub->add_option("--interval", args->interval_ms, "with --watch: milliseconds between inquiries (default 200)")
        ->check(CLI::Range(20LL, 60000LL));
    sub->add_option("--timeout", args->timeout_s, "with --watch: stop after this many seconds (default: never)")
        ->check(CLI::NonNegativeNumber);
    sub->callback([&tool, args] { tool.action = [&tool, args] { run_status(tool, *args); }; });
}

// An action without an answer of its own: LED, reset, wake-up.
void run_action(const Tool& tool, const char* name, const std::string& done, int(TZPUSB_API* call)(uint16_t*)) {
    PrinterSession session(tool.options);
    uint16_t result = 0;
    session.check(call(&result), result, name);
    tool.emit({{"serial", session.serial()}, {"command", name}, {"ok", true}, {"code", result}},
              session.serial() + ": " + done);
}

void register_actions(CLI::App& app, Tool& tool) {
    app.add_subcommand("led", "flash the printer's LED")->callback([&tool] {
        tool.action = [&tool] { run_action(tool, "led", "LED flashing", tzpusb_blinkLED); };
    });
    app.add_subcommand("reset", "restart the printer (it initialises for a while)")->callback([&tool] {
        tool.action = [&tool] { run_action(tool, "reset", "restarting", tzpusb_resetPrinter); };
    });
    auto mode = std::make_shared<std::string>();
    CLI::App* wake = app.add_subcommand("wake", "wake the printer from stand-by");
    wake->add_option("MODE", *mode, "mode byte (0-255, decimal or 0x hex)")->required();
    wake->callback([&tool, mode] {
        tool.action = [&tool, mode] {
            int value = static_cast<int>(parse_number(*mode, 0, 255, "MODE"));
            PrinterSession session(tool.options);
            uint16_t result = 0;
            session.check(tzpusb_WakeUpStandby(value, &result), result, "wake");
            tool.emit({{"serial", session.serial()}, {"command", "wake"}, {"mode", value}, {"ok", true},
                       {"code", result}},
                      session.serial() + ": woken (mode " + std::to_string(value) + ")");
        };
    });
}

const CommandRegistration status_registration(20, register_status);
const CommandRegistration actions_registration(80, register_actions);

}  // namespace

}  // namespace tz::ctl
