// diag run / result: the printer's self-diagnosis.
#include <memory>

#include "tool.h"
#include "tzpusb.h"

namespace tz::ctl {

namespace {

constexpr uint32_t kDiagnosisResultSize = 37;  // the most the library delivers

struct DiagArgs {
    std::string mode, first, second;
};

void run_diag(const Tool& tool, const DiagArgs& args) {
    int mode = static_cast<int>(parse_number(args.mode, 0, 255, "MODE"));
    int first = static_cast<int>(parse_number(args.first, 0, 255, "A"));
    int second = static_cast<int>(parse_number(args.second, 0, 255, "B"));
    PrinterSession session(tool.options);
    uint16_t result = 0;
    session.check(tzpusb_setDiagnostic(mode, first, second, &result), result, "self-diagnosis");
    tool.emit({{"serial", session.serial()}, {"command", "diag run"}, {"mode", mode}, {"a", first}, {"b", second},
               {"ok", true}, {"code", result}},
              session.serial() + ": self-diagnosis mode " + std::to_string(mode) + " (" + std::to_string(first) +
                  ", " + std::to_string(second) + ") started");
}

void run_result(const Tool& tool) {
    PrinterSession session(tool.options);
    uint8_t buffer[kDiagnosisResultSize] = {};
    uint32_t size = sizeof buffer;
    uint16_t result = 0;
    session.check(tzpusb_getDiagnostic(buffer, &size, &result), result, "reading the self-diagnosis result");
    if (size > sizeof buffer) size = sizeof buffer;
    tool.emit({{"serial", session.serial()}, {"size", size}, {"result", hex_string(buffer, size)}},
              session.serial() + ": self-diagnosis result (" + std::to_string(size) + " bytes):\n" +
                  hex_dump(buffer, size));
}

void register_diag(CLI::App& app, Tool& tool) {
    CLI::App* diag = app.add_subcommand("diag", "the printer's self-diagnosis");
    diag->require_subcommand(1);
    auto args = std::make_shared<DiagArgs>();
    CLI::App* run = diag->add_subcommand("run", "start self-diagnosis MODE with arguments A and B (bytes)");
    run->add_option("MODE", args->mode, "mode byte")->required();
    run->add_option("A", args->first, "first argument byte")->required();
    run->add_option("B", args->second, "second argument byte")->required();
    run->callback([&tool, args] { tool.action = [&tool, args] { run_diag(tool, *args); }; });
    diag->add_subcommand("result", "the batch self-diagnosis result")->callback([&tool] {
        tool.action = [&tool] { run_result(tool); };
    });
}

const CommandRegistration diag_registration(50, register_diag);

}  // namespace

}  // namespace tz::ctl
