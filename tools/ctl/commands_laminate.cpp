// laminate-update TARGET FILE: send a laminate pattern file to the printer.
#include <memory>

#include "common/input_file.h"
#include "tool.h"
#include "tzpusb.h"

namespace tz::ctl {

namespace {

struct LaminateArgs {
    std::string target;
    std::string file;
};

void run_laminate(const Tool& tool, const LaminateArgs& args) {
    int target = static_cast<int>(parse_number(args.target, 0, 255, "TARGET"));
    if (std::string problem = tools::input_file_problem(args.file); !problem.empty())
        throw UsageError(args.file + ": " + problem);
    PrinterSession session(tool.options);
    uint16_t result = 0;
    session.check(tzpusb_update_laminate(target, args.file.c_str(), &result), result, "laminate update");
    tool.emit({{"serial", session.serial()}, {"command", "laminate-update"}, {"target", target}, {"file", args.file},
               {"ok", true}, {"code", result}},
              session.serial() + ": " + args.file + " sent (target " + std::to_string(target) + ")");
}

void register_laminate(CLI::App& app, Tool& tool) {
    auto args = std::make_shared<LaminateArgs>();
    CLI::App* sub = app.add_subcommand("laminate-update", "send a laminate pattern file with an Update Command");
    sub->add_option("TARGET", args->target, "update target byte (the printer's own pattern download uses 16)")
        ->required();
    sub->add_option("FILE", args->file, "the pattern file")->required()->check(CLI::ExistingFile);
    sub->callback([&tool, args] { tool.action = [&tool, args] { run_laminate(tool, *args); }; });
}

const CommandRegistration laminate_registration(90, register_laminate);

}  // namespace

}  // namespace tz::ctl
