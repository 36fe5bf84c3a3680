// errlog show / clear: the printer's error log.
#include "tool.h"
#include "tzpusb.h"

namespace tz::ctl {

namespace {

constexpr uint32_t kErrorLogSize = 61;

void run_show(const Tool& tool) {
    PrinterSession session(tool.options);
    uint8_t buffer[kErrorLogSize] = {};
    uint32_t size = sizeof buffer;
    if (!tzpusb_getPrinterInfo(PINFTAG_ERRLOG, buffer, &size) || size == 0) {
        uint16_t status = 0;
        tzpusb_status(&status);
        throw Failure("cannot read the error log of " + session.serial(),
                      status != 0 ? unsigned{status} : unsigned{TZP_USB_ERROR});
    }
    if (size > sizeof buffer) size = sizeof buffer;
    tool.emit({{"serial", session.serial()}, {"size", size}, {"error_log", hex_string(buffer, size)}},
              session.serial() + ": error log (" + std::to_string(size) + " bytes):\n" + hex_dump(buffer, size));
}

void run_clear(const Tool& tool) {
    PrinterSession session(tool.options);
    uint16_t result = 0;
    session.check(tzpusb_resetErrHistory(&result), result, "clearing the error log");
    tool.emit({{"serial", session.serial()}, {"command", "errlog clear"}, {"ok", true}, {"code", result}},
              session.serial() + ": error log cleared");
}

void register_errlog(CLI::App& app, Tool& tool) {
    CLI::App* errlog = app.add_subcommand("errlog", "the printer's error log");
    errlog->require_subcommand(1);
    errlog->add_subcommand("show", "the error log as a hex dump")->callback([&tool] {
        tool.action = [&tool] { run_show(tool); };
    });
    errlog->add_subcommand("clear", "clear the error log")->callback([&tool] {
        tool.action = [&tool] { run_clear(tool); };
    });
}

const CommandRegistration errlog_registration(60, register_errlog);

}  // namespace

}  // namespace tz::ctl
