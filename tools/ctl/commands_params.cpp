// param get / set / dump: the printer's numbered parameters.
#include <array>
#include <cstdio>
#include <cstring>
#include <memory>

#include "byteorder/little_endian.h"
#include "tool.h"
#include "tzpusb.h"

namespace tz::ctl {

namespace {

// The parameters behind printer-information tags 200-217, in tag order.
constexpr std::array<uint8_t, 18> kParameterTagNumbers{0x11, 0x41, 0x42, 0x43, 0x81, 0x82, 0x83, 0x91, 0x92,
                                                       0x93, 0xF1, 0xF2, 0xF3, 0xF4, 0x84, 0x12, 0x13, 0x14};

int32_t le32(const uint8_t* p) { return static_cast<int32_t>(tz::read_le32(p)); }

std::string hex32(int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", static_cast<uint32_t>(value));
    return text;
}

std::string hex8(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02x", value);
    return text;
}

nlohmann::json parameter_document(const std::string& serial, unsigned number, int32_t value) {
    return {{"serial", serial}, {"number", number}, {"value", value}, {"hex", hex32(value)}};
}

struct ParamArgs {
    std::string number;
    std::string value;
};

void run_get(const Tool& tool, const ParamArgs& args) {
    int number = static_cast<int>(parse_number(args.number, 0, 255, "N"));
    PrinterSession session(tool.options);
    uint8_t buffer[4] = {};
    uint16_t result = 0;
    session.check(tzpusb_getParameter(number, buffer, &result), result, "reading parameter " + hex8(number));
    int32_t value = le32(buffer);
    tool.emit(parameter_document(session.serial(), number, value),
              session.serial() + ": parameter " + hex8(number) + " = " + std::to_string(value) + " (" + hex32(value) +
                  ")");
}

void run_set(const Tool& tool, const ParamArgs& args) {
    int number = static_cast<int>(parse_number(args.number, 0, 255, "N"));
    // Any 32-bit value, signed or unsigned.
    long long wide = parse_number(args.value, INT32_MIN, UINT32_MAX, "V");
    uint32_t bits = static_cast<uint32_t>(wide);
    int32_t value;
    std::memcpy(&value, &bits, sizeof value);
    PrinterSession session(tool.options);
    uint16_t result = 0;
    session.check(tzpusb_setParameter(number, value, &result), result, "setting parameter " + hex8(number));
    nlohmann::json document = parameter_document(session.serial(), number, value);
    document["ok"] = true;
    tool.emit(document, session.serial() + ": parameter " + hex8(number) + " set to " + std::to_string(value) + " (" +
                            hex32(value) + ")");
}

void run_dump(const Tool& tool) {
    PrinterSession session(tool.options);
    nlohmann::json parameters = nlohmann::json::array();
    std::string human = "printer " + session.serial() + "\n  tag  number  value        hex\n";
    for (size_t i = 0; i < kParameterTagNumbers.size(); ++i) {
        int tag = PINFTAG_PARAMETER_FIRST + static_cast<int>(i);
        unsigned number = kParameterTagNumbers[i];
        uint8_t buffer[4] = {};
        uint32_t size = sizeof buffer;
        if (!tzpusb_getPrinterInfo(tag, buffer, &size) || size != sizeof buffer) {
            uint16_t status = 0;
            tzpusb_status(&status);
            throw Failure("cannot read parameter " + hex8(number) + " (tag " + std::to_string(tag) + ") of " +
                              session.serial(),
                          status != 0 ? unsigned{status} : unsigned{TZP_USB_ERROR});
        }
        int32_t value = le32(buffer);
        parameters.push_back({{"tag", tag}, {"number", number}, {"value", value}, {"hex", hex32(value)}});
        char line[80];
        std::snprintf(line, sizeof line, "  %3d  %s    %-11d  %s\n", tag, hex8(number).c_str(), value,
                      hex32(value).c_str());
        human += line;
    }
    tool.emit({{"serial", session.serial()}, {"parameters", parameters}}, human);
}

void register_params(CLI::App& app, Tool& tool) {
    CLI::App* param = app.add_subcommand("param", "the printer's numbered parameters");
    param->require_subcommand(1);

    auto get_args = std::make_shared<ParamArgs>();
    CLI::App* get = param->add_subcommand("get", "read parameter N");
    get->add_option("N", get_args->number, "parameter number (0-255, decimal or 0x hex)")->required();
    get->callback([&tool, get_args] { tool.action = [&tool, get_args] { run_get(tool, *get_args); }; });

    auto set_args = std::make_shared<ParamArgs>();
    CLI::App* set = param->add_subcommand("set", "set parameter N to the 32-bit value V");
    set->add_option("N", set_args->number, "parameter number (0-255, decimal or 0x hex)")->required();
    set->add_option("V", set_args->value, "value (signed or unsigned 32-bit, decimal or 0x hex)")->required();
    set->callback([&tool, set_args] { tool.action = [&tool, set_args] { run_set(tool, *set_args); }; });

    param->add_subcommand("dump", "every parameter of the information tags 200-217")->callback([&tool] {
        tool.action = [&tool] { run_dump(tool); };
    });
}

const CommandRegistration params_registration(40, register_params);

}  // namespace

}  // namespace tz::ctl
