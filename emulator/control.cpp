#include "control.h"

#include <sstream>

#include "emulator/virtual_printer.h"

namespace tz::emulator {

const char* const kControlHelp =
    "unplug   leave the bus (the socket file goes, connections end)\n"
    "replug   come back on the bus\n"
    "hang     stop answering (transfers are taken and dropped)\n"
    "resume   answer again\n"
    "info     serial, plugged, hanging, connections\n";

std::string run_control_command(VirtualPrinter& printer, const std::string& line) {
    std::istringstream words(line);
    std::string command;
    words >> command;
    std::string extra;
    if (words >> extra) return "error: " + command + " takes no arguments";

    if (command == "unplug") {
        printer.unplug();
        return "ok";
    }
    if (command == "replug") return printer.replug() ? "ok" : "error: cannot listen on " + printer.socket_path();
    if (command == "hang") {
        printer.model().set_hanging(true);
        return "ok";
    }
    if (command == "resume") {
        printer.model().set_hanging(false);
        return "ok";
    }
    if (command == "info") {
        std::ostringstream out;
        out << "ok serial=" << printer.serial() << " plugged=" << (printer.plugged() ? 1 : 0)
            << " hanging=" << (printer.model().hanging() ? 1 : 0) << " connections=" << printer.connection_count();
        return out.str();
    }
    if (command.empty()) return "error: empty command";
    return "error: unknown command " + command;
}

}  // namespace tz::emulator
