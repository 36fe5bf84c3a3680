// list: every attached printer with its serial, whether it is the supported
// model, and its state.
#include "common/result_meanings.h"
#include "tool.h"
#include "tzpusb.h"

namespace tz::ctl {

namespace {

void run_list(const Tool& tool) {
    LibrarySession library;
    std::vector<std::string> serials = library.serials();
    if (!tool.options.serial.empty()) {
        std::vector<std::string> chosen;
        for (const auto& s : serials)
            if (s == tool.options.serial) chosen.push_back(s);
        if (chosen.empty()) throw Failure("no printer with serial " + tool.options.serial, TZP_NOT_FOUND);
        serials = chosen;
    }
    nlohmann::json printers = nlohmann::json::array();
    std::string human = std::to_string(serials.size()) + " printer(s)\n";
    for (const std::string& serial : serials) {
        uint16_t result = 0;
        char* selected = tzpusb_selectPrinterSN(serial.c_str(), &result);
        nlohmann::json entry{{"serial", serial}};
        if (selected == nullptr || result != 0) {
            entry["selected"] = false;
            entry["code"] = result;
            entry["meaning"] = tools::result_meaning(result);
            human += serial + "  cannot be selected: " + tools::describe_result(result) + "\n";
            printers.push_back(entry);
            continue;
        }
        uint16_t model_result = 0;
        bool model_ok = tzpusb_GetModelName(&model_result) != 0;
        uint16_t status = 0;
        tzpusb_status(&status);
        entry["selected"] = true;
        entry["model_ok"] = model_ok;
        entry["code"] = status;
        entry["meaning"] = tools::result_meaning(status);
        human += serial + "  " + (model_ok ? "TARVO 5170" : "unsupported model") + "  " +
                 tools::describe_result(status) + "\n";
        printers.push_back(entry);
    }
    tool.emit({{"count", serials.size()}, {"printers", printers}}, human);
}

void register_list(CLI::App& app, Tool& tool) {
    app.add_subcommand("list", "the attached printers: serial, model check, state")->callback([&tool] {
        tool.action = [&tool] { run_list(tool); };
    });
}

const CommandRegistration list_registration(10, register_list);

}  // namespace

}  // namespace tz::ctl
