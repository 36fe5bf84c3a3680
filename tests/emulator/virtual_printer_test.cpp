// The virtual printer as a running service: state file, sockets, control
// commands, and whole exchanges through its socket.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "emulator/virtual_printer.h"
#include "link/socket_names.h"
#include "model_harness.h"
#include "printer_farm.h"
#include "temp_folder.h"

namespace {

using tz::emulator::Bytes;
using tz::emulator::PrinterOptions;
using tz::emulator::VirtualPrinter;
using tz::platform::IoStatus;
using tz::platform::LocalSocket;
using tz::platform::SocketKind;
using tz::test::control;
using tz::test::kAck;
using tz::test::ready_header;
using tz::test::TempFolder;
using tz::test::with;
namespace fs = std::filesystem;

const Bytes kStatus = {0x01, 0x00, 0x00, 0x00};

PrinterOptions options_in(const TempFolder& folder, const std::string& serial, const std::string& state = "",
                          double time_scale = 1.0) {
    PrinterOptions options;
    options.folder = folder.path();
    options.serial = serial;
    options.state_file = state;
    options.time_scale = time_scale;
    return options;
}

// One opened device: a connection to the printer's socket, hello read.
class Host {
public:
    explicit Host(const VirtualPrinter& printer)
        : socket_(LocalSocket::connect(printer.socket_path(), SocketKind::Message)) {
        hello_ = receive();
    }
    bool connected() const { return hello_.size() == tz::link::kHelloSize; }
    bool send(const Bytes& bytes) { return socket_.send(bytes.data(), bytes.size(), 2000).status == IoStatus::Ok; }
    Bytes receive(uint32_t timeout_ms = 2000) {
        Bytes buffer(tz::link::kMaxTransfer);
        auto got = socket_.receive(buffer.data(), buffer.size(), timeout_ms);
        buffer.resize(got.status == IoStatus::Ok ? got.bytes : 0);
        return buffer;
    }
    Bytes ask(const Bytes& bytes) { return send(bytes) ? receive() : Bytes{}; }
    void stream(const Bytes& data) {
        for (size_t at = 0; at < data.size(); at += 4096)
            send(Bytes(data.begin() + at, data.begin() + std::min(data.size(), at + 4096)));
    }

private:
    LocalSocket socket_;
    Bytes hello_;
};

template <typename Condition>
bool eventually(Condition condition, int timeout_ms = 5000) {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

TEST(VirtualPrinter, SerialIsKeptInTheStateFileAcrossRestarts) {
    TempFolder folder;
    std::string state = folder.file("printer.json");
    {
        VirtualPrinter printer(options_in(folder, "KEEPME01", state));
        std::string error;
        ASSERT_TRUE(printer.start(&error)) << error;
    }
    VirtualPrinter again(options_in(folder, "", state));
    std::string error;
    ASSERT_TRUE(again.start(&error)) << error;
    EXPECT_EQ(again.serial(), "KEEPME01");
    EXPECT_TRUE(fs::exists(folder.file("KEEPME01.sock")));
}

TEST(VirtualPrinter, WhatThePrinterKeepsSurvivesAPowerCycle) {
    TempFolder folder;
    std::string state = folder.file("printer.json");
    Bytes curve(1536);
    for (size_t i = 0; i < curve.size(); ++i) curve[i] = static_cast<uint8_t>(i * 7);
    {
        VirtualPrinter printer(options_in(folder, "KEEPME02", state, 0.001));
        std::string error;
        ASSERT_TRUE(printer.start(&error)) << error;
        Host host(printer);
        ASSERT_TRUE(host.connected());
        EXPECT_EQ(host.ask({0x07, 0x40, 0x05, 0x00, 0x8F, 0xFB, 0xFF, 0xFF, 0xFF}), kAck);  // parameter 143 = -5
        EXPECT_EQ(host.ask({0x04, 0xC0, 0x0A, 0x00, 0x04, 0x03, 0, 0, 0, 0, 0x00, 0x06, 0x00, 0x00}), kAck);
        host.stream(curve);
        Bytes image(64, 0);
        std::memcpy(image.data() + 10, "TZP-K2207-5", 11);
        std::memcpy(image.data() + 26, "0A0B", 4);
        EXPECT_EQ(host.ask({0x04, 0xC0, 0x0A, 0x00, 0x01, 0x00, 0, 0, 0, 0, 64, 0, 0, 0}), kAck);
        host.stream(image);
        EXPECT_TRUE(eventually([&] { return host.ask(kStatus).at(7) == 0x00; }));
        EXPECT_EQ(control(printer, "cover-open"), "ok");
        EXPECT_EQ(control(printer, "clear-error"), "ok");
        EXPECT_EQ(host.ask({0x02, 0x80, 0x01, 0x00, 0x01}), kAck);
        EXPECT_EQ(host.ask({0x06, 0xC0, 0x03, 0x00, 0x20, 0x00, 0x5A}), kAck);
        EXPECT_EQ(host.ask({0x09, 0xC0, 0x08, 0x00, 'R', 'E', 'N', 'A', 'M', 'E', 'D', '1'}), kAck);
    }
    VirtualPrinter again(options_in(folder, "", state));
    std::string error;
    ASSERT_TRUE(again.start(&error)) << error;
    EXPECT_EQ(again.serial(), "RENAMED1");
    Host host(again);
    ASSERT_TRUE(host.connected());
    EXPECT_EQ(host.ask({0x05, 0x00, 0x01, 0x00, 0x8F}), with(ready_header(4), {0xFB, 0xFF, 0xFF, 0xFF}));
    Bytes entry = host.ask({0x03, 0xC0, 0x01, 0x00, 0x02});
    ASSERT_EQ(entry.size(), 48u);
    EXPECT_EQ(entry[44], 0x0A);
    EXPECT_EQ(entry[45], 0x0B);
    EXPECT_EQ(host.ask({0x04, 0x00, 0x00, 0x00}).at(10), 1);  // one error in the log
    EXPECT_EQ(host.ask({0x05, 0xC0, 0x03, 0x00, 0x20, 0x00, 0x01}), with(ready_header(1), {0x5A}));
    EXPECT_EQ(host.ask({0x05, 0x40, 0x02, 0x00, 0x02, 0x03}), with(ready_header(2), {0x00, 0x06}));
    Bytes received;
    for (int i = 0; i < 8; ++i) {
        Bytes packet = host.receive();
        ASSERT_GE(packet.size(), 2u);
        received.insert(received.end(), packet.begin() + 2, packet.end());
    }
    EXPECT_EQ(received, curve);
}

TEST(VirtualPrinter, RefusesBadSerialsAndBrokenStateFiles) {
    TempFolder folder;
    for (const char* serial : {"SHORT", "TOOLONG123", "../../x1", "SN 00001"}) {
        VirtualPrinter printer(options_in(folder, serial));
        std::string error;
        EXPECT_FALSE(printer.start(&error)) << serial;
        EXPECT_FALSE(error.empty());
    }
    const char* broken[] = {
        "{ \"serial\": ",
        "{ \"serial\": 12345678 }",
        "{ \"serial\": \"SN000001\", \"parameters\": { \"0x8E\": 51 } }",
        "{ \"serial\": \"SN000001\", \"parameters\": { \"0x00\": 1 } }",
        "{ \"serial\": \"SN000001\", \"firmware\": [ {} ] }",
        "{ \"serial\": \"SN000001\", \"firmware\": [ {\"version\": \"5.1\"}, {}, {}, {}, {}, {}, {} ] }",
        "{ \"serial\": \"SN000001\", \"tone_curves\": { \"1/1\": \"00\" } }",
        "{ \"serial\": \"SN000001\", \"tone_curves\": { \"3/1\": \"\" } }",
        "{ \"serial\": \"SN000001\", \"eeprom\": \"zz\" }",
    };
    for (const char* text : broken) {
        std::string path = folder.file("broken.json");
        std::ofstream(path, std::ios::trunc) << text;
        VirtualPrinter printer(options_in(folder, "", path));
        std::string error;
        EXPECT_FALSE(printer.start(&error)) << text;
        EXPECT_NE(error.find("broken.json"), std::string::npos) << text;
    }
}

TEST(VirtualPrinter, UnplugRemovesTheSocketFileAndReplugBringsItBack) {
    TempFolder folder;
    VirtualPrinter printer(options_in(folder, "SN000009"));
    std::string error;
    ASSERT_TRUE(printer.start(&error)) << error;
    EXPECT_EQ(control(printer, "info"),
              "ok serial=SN000009 plugged=1 hanging=0 connections=0 state=0x00 activity=idle jobs=0");
    EXPECT_EQ(control(printer, "unplug"), "ok");
    EXPECT_FALSE(fs::exists(printer.socket_path()));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));  // the printer does not come back by itself
    EXPECT_EQ(control(printer, "info"),
              "ok serial=SN000009 plugged=0 hanging=0 connections=0 state=0x00 activity=idle jobs=0");
    EXPECT_EQ(control(printer, "replug"), "ok");
    EXPECT_TRUE(fs::exists(printer.socket_path()));
    printer.stop();
    EXPECT_FALSE(fs::exists(printer.socket_path()));
    EXPECT_FALSE(fs::exists(printer.control_path()));
}

TEST(VirtualPrinter, ASecondPrinterWithTheSameSerialRefusesAndLeavesTheFirstAlone) {
    TempFolder folder;
    VirtualPrinter first(options_in(folder, "SN000012"));
    std::string error;
    ASSERT_TRUE(first.start(&error)) << error;
    {
        VirtualPrinter second(options_in(folder, "SN000012"));
        EXPECT_FALSE(second.start(&error));
        EXPECT_NE(error.find("another virtual printer with serial SN000012 is serving " + folder.path()),
                  std::string::npos)
            << error;
    }
    EXPECT_TRUE(fs::exists(first.socket_path()));
    EXPECT_TRUE(fs::exists(first.control_path()));
    EXPECT_TRUE(Host(first).connected());
    EXPECT_EQ(control(first, "info").rfind("ok serial=SN000012 plugged=1", 0), 0u);

    VirtualPrinter other(options_in(folder, "SN000013"));  // another serial in the same folder is fine
    ASSERT_TRUE(other.start(&error)) << error;

    first.stop();
    VirtualPrinter next(options_in(folder, "SN000012"));
    ASSERT_TRUE(next.start(&error)) << error;
    EXPECT_TRUE(Host(next).connected());
}

TEST(VirtualPrinterControl, ErrorAndStateInjectionShapeTheAnswers) {
    TempFolder folder;
    VirtualPrinter printer(options_in(folder, "SN000009"));
    std::string error;
    ASSERT_TRUE(printer.start(&error)) << error;
    Host host(printer);
    ASSERT_TRUE(host.connected());

    EXPECT_EQ(control(printer, "error 11 06 01 00"), "ok");
    EXPECT_EQ(host.ask(kStatus), (Bytes{0x02, 0x11, 0x06, 0x01, 0x00, 0, 0, 0, 0, 0}));
    EXPECT_EQ(host.ask({0x07, 0x40, 0x05, 0x00, 0x8E, 0x05, 0x00, 0x00, 0x00}), (Bytes{0x02, 0x11, 0x06, 0x01, 0x00, 0, 0, 0, 0, 0}));
    EXPECT_EQ(printer.model().state().parameters.at(0x8E), -10);  // the refused command did nothing
    EXPECT_EQ(control(printer, "error 0x21"), "ok");
    EXPECT_EQ(host.ask(kStatus), (Bytes{0x02, 0x21, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(control(printer, "error clear"), "ok");
    EXPECT_EQ(host.ask(kStatus).at(0), 0x01);

    EXPECT_EQ(control(printer, "state c"), "ok");
    EXPECT_EQ(host.ask(kStatus).at(7), 0x63);
    EXPECT_EQ(host.ask({0x03, 0x40, 0x00, 0x00}), (Bytes{0x01, 0, 0, 0, 0, 0, 0, 0x63, 0, 0}));
    EXPECT_EQ(control(printer, "state 0x37"), "ok");
    EXPECT_EQ(host.ask(kStatus).at(7), 0x37);
    EXPECT_NE(control(printer, "info").find(" state=0x37 "), std::string::npos);
    EXPECT_EQ(control(printer, "state clear"), "ok");
    EXPECT_EQ(host.ask(kStatus).at(7), 0x00);

    EXPECT_EQ(control(printer, "cover-open"), "ok");
    Bytes status = host.ask(kStatus);
    EXPECT_EQ(Bytes(status.begin(), status.begin() + 8), (Bytes{0x01, 0x00, 0x06, 0x01, 0x00, 0x00, 0x00, 0x11}));
    EXPECT_NE(control(printer, "info").find("error=cover-open"), std::string::npos);
    EXPECT_EQ(control(printer, "no-ribbon"), "ok");
    EXPECT_EQ(host.ask(kStatus).at(3), 0x03);
    EXPECT_EQ(control(printer, "no-paper"), "ok");
    EXPECT_EQ(host.ask(kStatus).at(3), 0x06);
    EXPECT_EQ(control(printer, "clear-error"), "ok");
    EXPECT_EQ(host.ask(kStatus).at(7), 0x00);
}

TEST(VirtualPrinterControl, BrokenFramesDelaysBusyAndMedia) {
    TempFolder folder;
    VirtualPrinter printer(options_in(folder, "SN000009"));
    std::string error;
    ASSERT_TRUE(printer.start(&error)) << error;
    Host host(printer);
    ASSERT_TRUE(host.connected());

    EXPECT_EQ(control(printer, "corrupt-next"), "ok");
    Bytes status = host.ask(kStatus);
    ASSERT_EQ(status.size(), 75u);
    EXPECT_EQ(status[8], 66);  // the length field no longer matches the 65 bytes
    EXPECT_EQ(host.ask(kStatus).at(8), 65);
    EXPECT_EQ(control(printer, "truncate-next"), "ok");
    EXPECT_EQ(host.ask(kStatus).size(), 37u);
    EXPECT_EQ(host.ask(kStatus).size(), 75u);

    EXPECT_EQ(control(printer, "delay 200"), "ok");
    auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(host.ask(kStatus).size(), 75u);
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(200));
    EXPECT_EQ(control(printer, "delay 0"), "ok");

    EXPECT_EQ(control(printer, "hang"), "ok");
    ASSERT_TRUE(host.send(kStatus));
    EXPECT_TRUE(host.receive(200).empty());
    EXPECT_EQ(control(printer, "resume"), "ok");

    EXPECT_EQ(control(printer, "busy"), "ok");
    status = host.ask(kStatus);
    EXPECT_NE(status.at(45), 0);
    EXPECT_NE(status.at(53), 0);
    EXPECT_NE(control(printer, "info").find("jobs=2"), std::string::npos);
    EXPECT_EQ(control(printer, "busy off"), "ok");
    status = host.ask(kStatus);
    EXPECT_EQ(status.at(45), 0);
    EXPECT_EQ(status.at(53), 0);

    EXPECT_EQ(control(printer, "media 1800 2400"), "ok");
    EXPECT_EQ(host.ask({0x02, 0x00, 0x00, 0x00}),
              with(ready_header(10), {0x01, 0x00, 0x00, 0x01, 0x08, 0x07, 0x60, 0x09, 0xBC, 0x02}));

    EXPECT_EQ(control(printer, "state 0x21"), "ok");
    EXPECT_EQ(control(printer, "busy"), "ok");
    EXPECT_EQ(control(printer, "error 01"), "ok");
    EXPECT_EQ(control(printer, "clear-faults"), "ok");
    status = host.ask(kStatus);
    EXPECT_EQ(status.at(0), 0x01);
    EXPECT_EQ(status.at(7), 0x00);
    EXPECT_EQ(status.at(45), 0);
}

// The link takes what the host sends no faster than its rate, the same link
// for every connection; the rate is not a fault that clear-faults ends.
TEST(VirtualPrinterControl, LinkRateKeepsTheHostWaitingForItsData) {
    TempFolder folder;
    PrinterOptions options = options_in(folder, "SN000015");
    options.link_rate = 400000;
    VirtualPrinter printer(options);
    std::string error;
    ASSERT_TRUE(printer.start(&error)) << error;
    EXPECT_EQ(control(printer, "clear-faults"), "ok");
    EXPECT_NE(control(printer, "info").find(" link-rate=400000"), std::string::npos);
    Host first(printer), second(printer);
    const Bytes piece(4096, 0xEE);  // not a command: each is answered with an error frame
    auto started = std::chrono::steady_clock::now();
    for (int i = 0; i < 25; ++i) {
        ASSERT_TRUE(first.send(piece));
        ASSERT_TRUE(second.send(piece));
        ASSERT_FALSE(first.receive().empty());
        ASSERT_FALSE(second.receive().empty());
    }
    // 200 KiB over 400 KB/s.
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(500));
    EXPECT_EQ(control(printer, "link-rate 0"), "ok");
    EXPECT_EQ(printer.link_rate(), 0u);
    EXPECT_EQ(control(printer, "info").find("link-rate"), std::string::npos);
}

TEST(VirtualPrinterControl, ControlSocketAnswersEveryLineAndRejectsNonsense) {
    TempFolder folder;
    VirtualPrinter printer(options_in(folder, "SN000009"));
    std::string error;
    ASSERT_TRUE(printer.start(&error)) << error;
    EXPECT_EQ(control(printer, "hang"), "ok");
    EXPECT_TRUE(printer.model().hanging());
    EXPECT_EQ(control(printer, "resume"), "ok");
    EXPECT_FALSE(printer.model().hanging());
    EXPECT_EQ(control(printer, "explode"), "error: unknown command explode");
    EXPECT_EQ(control(printer, "hang now"), "error: hang takes no arguments");
    EXPECT_EQ(control(printer, "cover-open 1"), "error: cover-open takes no arguments");
    EXPECT_EQ(control(printer, ""), "error: empty command");
    for (const char* bad : {"error", "error zz", "error 1 2 3 4 5", "error 123", "state", "state cc", "state 0x1G",
                            "delay", "delay -1", "delay 600001", "delay 1x", "busy now", "media 0 5", "media 5",
                            "media 70000 5", "link-rate", "link-rate -1", "link-rate 5x"})
        EXPECT_EQ(control(printer, bad).rfind("error: ", 0), 0u) << bad;
    // Nothing of the refused lines took effect.
    EXPECT_EQ(control(printer, "info"),
              "ok serial=SN000009 plugged=1 hanging=0 connections=0 state=0x00 activity=idle jobs=0");
    EXPECT_EQ(printer.model().answer_delay_ms(), 0u);
    // A line that never ends is cut off instead of growing without limit.
    EXPECT_EQ(control(printer, std::string(10000, 'x')).rfind("error", 0), 0u);
    EXPECT_EQ(control(printer, "info").rfind("ok", 0), 0u);
}

TEST(VirtualPrinterControl, ServesSeveralClientsAtOnce) {
    TempFolder folder;
    VirtualPrinter printer(options_in(folder, "SN000014"));
    std::string error;
    ASSERT_TRUE(printer.start(&error)) << error;
    auto connect = [&] { return LocalSocket::connect(printer.control_path(), SocketKind::Stream); };
    auto ask = [](const LocalSocket& socket, const std::string& line) {
        std::string text = line + "\n";
        if (socket.send(text.data(), text.size(), 2000).status != IoStatus::Ok) return std::string("not sent");
        char chunk[256];
        auto got = socket.receive(chunk, sizeof chunk, 5000);
        return got.status == IoStatus::Ok ? std::string(chunk, got.bytes) : std::string("no answer");
    };

    // An idle client holds up nobody, and is answered when it speaks.
    LocalSocket idle = connect();
    ASSERT_TRUE(idle.valid());
    EXPECT_EQ(control(printer, "info").rfind("ok serial=SN000014", 0), 0u);
    EXPECT_EQ(ask(idle, "hang"), "ok\n");

    // Commands from several clients at once (the thread sanitizer watches).
    std::vector<std::thread> clients;
    std::atomic<int> refused{0};
    for (int i = 0; i < 4; ++i) {
        clients.emplace_back([&, i] {
            LocalSocket socket = connect();
            for (const char* line : {"unplug", "info", "replug", "delay 1", "cover-open", "clear-error", "info"})
                if (ask(socket, i % 2 ? line : "info").rfind("ok", 0) != 0) ++refused;
        });
    }
    for (auto& client : clients) client.join();
    EXPECT_EQ(refused, 0);

    // At most 16 at once; a finished client makes room.
    std::vector<LocalSocket> crowd;
    crowd.push_back(std::move(idle));
    ASSERT_TRUE(eventually([&] {  // the clients above may not be reaped yet
        LocalSocket socket = connect();
        if (ask(socket, "resume") == "ok\n") crowd.push_back(std::move(socket));
        return crowd.size() == 16;
    }));
    EXPECT_EQ(control(printer, "info"), "error: too many control clients");
    crowd.pop_back();
    EXPECT_TRUE(eventually([&] { return control(printer, "info").rfind("ok", 0) == 0; }));
}

TEST(VirtualPrinter, BootFirmwareIdComesFromTheOptionOverTheStateFileAndIsWrittenToIt) {
    TempFolder folder;
    std::string state = folder.file("printer.json");
    std::ofstream(state) << R"({ "serial": "BOOTID01", "firmware": [ {"name": "E0242600"}, {}, {}, {}, {}, {}, {} ] })";
    auto boot_id_answered = [](VirtualPrinter& printer) {
        Host host(printer);
        Bytes entry = host.ask({0x03, 0xC0, 0x01, 0x00, 0x01});
        return entry.size() == 48 ? std::string(entry.begin() + 10, entry.begin() + 18) : std::string("no answer");
    };
    std::string error;
    {
        VirtualPrinter printer(options_in(folder, "", state));
        ASSERT_TRUE(printer.start(&error)) << error;
        EXPECT_EQ(boot_id_answered(printer), "E0242600");
    }
    {
        PrinterOptions options = options_in(folder, "", state);
        options.boot_id = "E0203300";
        VirtualPrinter printer(options);
        ASSERT_TRUE(printer.start(&error)) << error;
        EXPECT_EQ(boot_id_answered(printer), "E0203300");
    }
    VirtualPrinter again(options_in(folder, "", state));
    ASSERT_TRUE(again.start(&error)) << error;
    EXPECT_EQ(boot_id_answered(again), "E0203300");
    again.stop();
    for (const char* bad : {"E020330", "E02033000", "E020\n300"}) {
        PrinterOptions options = options_in(folder, "", state);
        options.boot_id = bad;
        VirtualPrinter printer(options);
        EXPECT_FALSE(printer.start(&error)) << bad;
        EXPECT_NE(error.find("boot firmware id"), std::string::npos) << error;
    }
}

TEST(VirtualPrinterEndToEnd, UsbControllerFirmwareMakesThePrinterLeaveTheBusAndComeBack) {
    TempFolder folder;
    auto clock = std::make_shared<tz::emulator::ManualClock>();
    PrinterOptions options = options_in(folder, "SN000010");
    options.clock = clock;
    VirtualPrinter printer(options);
    std::string error;
    ASSERT_TRUE(printer.start(&error)) << error;
    EXPECT_EQ(control(printer, "firmware USB"), "ok part=USB none");
    {
        Host host(printer);
        ASSERT_TRUE(host.connected());
        Bytes image(49152, 0);
        image[0] = 0xC2;
        std::memcpy(image.data() + 49098, "TZP-K2207-5", 11);
        image[49114] = 0x01;
        image[49115] = 0x09;
        EXPECT_EQ(host.ask({0x01, 0x80, 0x05, 0x00, 0x01, 0x00, 0x40, 0x00, 0xC0}), kAck);
        host.stream(Bytes(image.end() - 64, image.end()));
        host.stream(Bytes(image.begin(), image.end() - 64));
        EXPECT_EQ(host.ask(kStatus).at(7), 0x37);  // writing its flash, still on the bus
        clock->advance_ms(1999);
        EXPECT_EQ(host.ask(kStatus).at(7), 0x37);
        EXPECT_EQ(control(printer, "firmware USB"), "ok part=USB none");
        clock->advance_ms(1);
        EXPECT_TRUE(eventually([&] { return !fs::exists(printer.socket_path()); }));
        EXPECT_TRUE(host.receive(1000).empty());  // the connection ended with the bus
        EXPECT_EQ(printer.connection_count(), 0u);
    }
    clock->advance_ms(9999);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(fs::exists(printer.socket_path()));
    clock->advance_ms(1);
    EXPECT_TRUE(eventually([&] { return fs::exists(printer.socket_path()); }));
    Host host(printer);
    ASSERT_TRUE(host.connected());
    EXPECT_EQ(host.ask(kStatus).at(7), 0x31);  // the controller initialises
    clock->advance_ms(5000);
    EXPECT_EQ(host.ask(kStatus).at(7), 0x00);
    Bytes entry = host.ask({0x03, 0xC0, 0x01, 0x00, 0x06});
    ASSERT_EQ(entry.size(), 48u);
    EXPECT_EQ(entry[44], 0x01);
    EXPECT_EQ(entry[45], 0x09);
    EXPECT_EQ(control(printer, "firmware usb"), "ok part=USB size=49152 crc32=45633FFC version=01.09");
    EXPECT_EQ(control(printer, "firmware MAIN"), "ok part=MAIN none");
    for (const char* bad : {"firmware", "firmware FPGA", "firmware USB MAIN"})
        EXPECT_EQ(control(printer, bad), "error: usage: firmware USB|MAIN|DSP|TABLE") << bad;
}

TEST(VirtualPrinterEndToEnd, PrintedPageAppearsInTheOutputFolder) {
    TempFolder folder;
    PrinterOptions options = options_in(folder, "SN000011", "", 0.001);
    options.output_folder = folder.file("pages");
    VirtualPrinter printer(options);
    std::string error;
    ASSERT_TRUE(printer.start(&error)) << error;
    Host host(printer);
    ASSERT_TRUE(host.connected());
    EXPECT_EQ(host.ask({0x01, 0x40, 0x12, 0x00, 0x05, 0x01, 0x00, 0x02, 0x00, 0x02, 0x00, 0x02, 0x00, 0x02, 0x00,
                        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}),
              kAck);
    ASSERT_TRUE(host.send(Bytes(12, 0x40)));
    // Nobody asks: the printer's own time brings the page out.
    EXPECT_TRUE(eventually([&] { return fs::exists(folder.file("pages/SN000011-000001-job005.png")); }));
}

}  // namespace
