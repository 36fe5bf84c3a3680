// Virtual printers in the test process, in a folder of their own that the USB
// control library is pointed at (TZ5170_EMULATOR) for the farm's lifetime.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "emulator/virtual_printer.h"
#include "platform/environment.h"
#include "platform/local_socket.h"
#include "temp_folder.h"

namespace tz::test {

class PrinterFarm {
public:
    PrinterFarm() { tz::platform::set_environment("TZ5170_EMULATOR", folder_.path(), true); }
    ~PrinterFarm() {
        printers_.clear();
        tz::platform::unset_environment("TZ5170_EMULATOR");
    }

    emulator::VirtualPrinter& add(const std::string& serial, uint16_t vendor_id = 0x0F3C, uint16_t product_id = 0x5A17) {
        emulator::PrinterOptions options;
        options.serial = serial;
        options.vendor_id = vendor_id;
        options.product_id = product_id;
        return add(std::move(options));
    }

    // A printer with options of its own (time scale, state file, output folder,
    // clock); its sockets go into the farm's folder.
    emulator::VirtualPrinter& add(emulator::PrinterOptions options) {
        options.folder = folder_.path();
        auto printer = std::make_unique<emulator::VirtualPrinter>(options);
        std::string error;
        EXPECT_TRUE(printer->start(&error)) << error;
        printers_.push_back(std::move(printer));
        return *printers_.back();
    }

    const TempFolder& folder() const { return folder_; }

private:
    TempFolder folder_;
    std::vector<std::unique_ptr<emulator::VirtualPrinter>> printers_;
};

// Sends one line to a printer's control socket and returns the answer line.
inline std::string control(const emulator::VirtualPrinter& printer, const std::string& command) {
    auto socket = platform::LocalSocket::connect(printer.control_path(), platform::SocketKind::Stream);
    if (!socket.valid()) return "no control socket";
    std::string line = command + "\n";
    socket.send(line.data(), line.size(), 2000);
    std::string answer;
    char chunk[256];
    while (answer.find('\n') == std::string::npos) {
        auto got = socket.receive(chunk, sizeof chunk, 5000);
        if (got.status != platform::IoStatus::Ok) break;
        answer.append(chunk, got.bytes);
    }
    if (!answer.empty() && answer.back() == '\n') answer.pop_back();
    return answer;
}

}  // namespace tz::test
