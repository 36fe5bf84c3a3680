// TZ5170Emulator: serves one virtual printer until it is interrupted, or sends
// one command to a running printer's control socket.
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "control.h"
#include "emulator/virtual_printer.h"
#include "platform/local_socket.h"
#include "platform/process.h"

namespace {

std::atomic<bool> g_stop{false};

void on_signal(int) { g_stop = true; }

void usage(FILE* out) {
    std::fprintf(out,
                 "usage: TZ5170Emulator --dir DIR --serial XXXXXXXX [--state FILE] [--time-scale F]\n"
                 "                      [--output DIR] [--vendor-id HEX] [--product-id HEX] [--boot-id ID]\n"
                 "                      [--link-rate BYTES_PER_S]\n"
                 "       TZ5170Emulator --dir DIR --serial XXXXXXXX --control COMMAND\n"
                 "Serves one virtual printer on DIR/<serial>.sock until interrupted; its control\n"
                 "socket is DIR/<serial>.ctl. With --control, sends COMMAND to a running printer.\n"
                 "--boot-id ID: the MAIN board's boot firmware id (firmware entry 1), 8 characters:\n"
                 "E0229800 new board (factory), E0203300 old board, E0242600 new board 2, or any\n"
                 "other; it replaces the one in the state file and is written to it.\n"
                 "--link-rate N: take at most N bytes a second from the host, as a USB link does\n"
                 "(about 33000000 for USB 2.0); 0 or left out: no limit.\n"
                 "Control commands:\n%s",
                 tz::emulator::kControlHelp);
}

bool parse_hex16(const char* text, uint16_t& value) {
    char* end = nullptr;
    unsigned long v = std::strtoul(text, &end, 16);
    if (end == text || *end != '\0' || v > 0xFFFF) return false;
    value = static_cast<uint16_t>(v);
    return true;
}

bool parse_rate(const char* text, uint64_t& value) {
    char* end = nullptr;
    if (*text == '-' || *text == '+') return false;
    unsigned long long v = std::strtoull(text, &end, 10);
    if (end == text || *end != '\0') return false;
    value = v;
    return true;
}

// Sends one line and prints the answer line; 0 only for an "ok" answer.
int send_control(const std::string& path, const std::string& command) {
    using tz::platform::IoStatus;
    constexpr uint32_t kSendMs = 5000;
    constexpr uint32_t kAnswerMs = 10000;
    tz::platform::LocalSocket socket =
        tz::platform::LocalSocket::connect(path, tz::platform::SocketKind::Stream);
    if (!socket.valid()) {
        std::fprintf(stderr, "no printer listens on %s\n", path.c_str());
        return 1;
    }
    std::string line = command + "\n";
    tz::platform::IoResult sent = socket.send(line.data(), line.size(), kSendMs);
    if (sent.status != IoStatus::Ok) {
        std::fprintf(stderr, "cannot send the command to %s: %s\n", path.c_str(),
                     sent.status == IoStatus::TimedOut ? "timed out" : "the connection failed");
        return 1;
    }
    std::string answer;
    char chunk[512];
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kAnswerMs);
    while (answer.find('\n') == std::string::npos) {
        using std::chrono::milliseconds;
        const auto left = std::chrono::duration_cast<milliseconds>(until - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            std::fprintf(stderr, "no answer from %s within %u s\n", path.c_str(), kAnswerMs / 1000);
            return 1;
        }
        tz::platform::IoResult got = socket.receive(chunk, sizeof chunk, static_cast<uint32_t>(left.count()));
        if (got.status == IoStatus::TimedOut) continue;
        if (got.status != IoStatus::Ok) {
            std::fprintf(stderr, "%s closed the connection without a whole answer\n", path.c_str());
            return 1;
        }
        answer.append(chunk, got.bytes);
    }
    answer.erase(answer.find('\n') + 1);
    std::fputs(answer.c_str(), stdout);
    return answer.rfind("ok", 0) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    tz::emulator::PrinterOptions options;
    std::string control_command;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&](const char* name) -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "%s needs a value\n", name);
                std::exit(2);
            }
            return argv[++i];
        };
        if (arg == "--dir") options.folder = value("--dir");
        else if (arg == "--serial") options.serial = value("--serial");
        else if (arg == "--state") options.state_file = value("--state");
        else if (arg == "--output") options.output_folder = value("--output");
        else if (arg == "--boot-id") options.boot_id = value("--boot-id");
        else if (arg == "--time-scale") options.time_scale = std::atof(value("--time-scale"));
        else if (arg == "--link-rate") {
            if (!parse_rate(value("--link-rate"), options.link_rate)) { usage(stderr); return 2; }
        }
        else if (arg == "--vendor-id") {
            if (!parse_hex16(value("--vendor-id"), options.vendor_id)) { usage(stderr); return 2; }
        } else if (arg == "--product-id") {
            if (!parse_hex16(value("--product-id"), options.product_id)) { usage(stderr); return 2; }
        } else if (arg == "--control") control_command = value("--control");
        else if (arg == "--help" || arg == "-h") { usage(stdout); return 0; }
        else { std::fprintf(stderr, "unknown argument %s\n", arg.c_str()); usage(stderr); return 2; }
    }
    if (options.folder.empty() || (options.serial.empty() && options.state_file.empty()) ||
        !(options.time_scale > 0)) {
        usage(stderr);
        return 2;
    }
    if (!control_command.empty())
        return send_control(options.folder + "/" + options.serial + ".ctl", control_command);

    std::signal(SIGINT, on_signal);
    std::signal(SIGTERM, on_signal);
    tz::emulator::VirtualPrinter printer(options);
    std::string error;
    if (!printer.start(&error)) {
        std::fprintf(stderr, "TZ5170Emulator: %s\n", error.c_str());
        return 1;
    }
    std::printf("printer %s on %s\n", printer.serial().c_str(), printer.socket_path().c_str());
    std::fflush(stdout);
    while (!g_stop) tz::platform::sleep_ms(100);
    printer.stop();
    return 0;
}
