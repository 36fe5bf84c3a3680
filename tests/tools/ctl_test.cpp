// TZ5170Ctl end to end: the program run as a user runs it, against virtual
// printer processes (TZ000101 and TZ000102, started by run_with_printers.sh,
// which names their folder in TZ5170_EMULATOR), its JSON output parsed.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "temp_folder.h"

namespace {

using namespace std::chrono_literals;
using nlohmann::json;
using tz::test::Child;
using tz::test::read_file;

const std::string kBin = TZ_BIN_DIR;
const std::string kCtl = kBin + "/TZ5170Ctl";
const std::string kEmulator = kBin + "/TZ5170Emulator";

std::string printers_folder() {
    const char* folder = std::getenv("TZ5170_EMULATOR");
    return folder != nullptr ? folder : "";
}

struct Outcome {
    int status;
    std::string out, err;
};

class Ctl : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(printers_folder().empty()) << "run under run_with_printers.sh"; }

    Outcome run(const std::vector<std::string>& args) {
        Child child(kCtl, args, folder_);
        EXPECT_TRUE(child.started());
        int status = child.wait(30s);
        return {status, child.out(), child.err()};
    }

    // The one JSON document of a command run with --json and exit status `expected`.
    json run_json(std::vector<std::string> args, int expected = 0) {
        args.insert(args.begin(), "--json");
        Outcome r = run(args);
        EXPECT_EQ(r.status, expected) << r.err;
        EXPECT_TRUE(json::accept(r.out)) << r.out;
        return json::parse(r.out, nullptr, false);
    }

    std::string control(const std::string& serial, const std::string& command,
                        const std::string& folder = printers_folder()) {
        Child child(kEmulator, {"--dir", folder, "--serial", serial, "--control", command}, folder_);
        child.wait(15s);
        return child.out();
    }

    // Waits until `done` holds, at most `limit`.
    static bool eventually(const std::function<bool()>& done, std::chrono::milliseconds limit) {
        auto end = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() >= end) return false;
            std::this_thread::sleep_for(20ms);
        }
        return true;
    }

    static size_t line_count(const std::string& text) {
        size_t n = 0;
        for (char c : text) n += c == '\n';
        return n;
    }

    tz::test::TempFolder folder_;
};

// --- the frame and the status commands --------------------------------------

TEST_F(Ctl, HelpEverywhereExitsZero) {
    for (std::vector<std::string> args : {std::vector<std::string>{"--help"}, {"status", "--help"}, {"led", "--help"}}) {
        Outcome r = run(args);
        EXPECT_EQ(r.status, 0) << args[0];
        EXPECT_NE(r.out.find("Usage:"), std::string::npos) << r.out;
    }
}

TEST_F(Ctl, UsageErrorsExitTwoWithAMessageOnStderr) {
    for (std::vector<std::string> args : {std::vector<std::string>{}, {"no-such-command"}, {"status", "--count", "x"},
                                          {"--serial", "TZ000101", "wake", "300"}, {"--serial", "TOO-LONG-1", "led"}}) {
        Outcome r = run(args);
        EXPECT_EQ(r.status, 2) << (args.empty() ? "(none)" : args[0]);
        EXPECT_TRUE(r.out.empty()) << r.out;
        EXPECT_FALSE(r.err.empty());
    }
}

TEST_F(Ctl, SeveralPrintersWithoutSerialIsAUsageErrorNamingThem) {
    Outcome r = run({"status"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("TZ000101"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("TZ000102"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("--serial"), std::string::npos) << r.err;
}

TEST_F(Ctl, StatusOfTheChosenPrinter) {
    json doc = run_json({"--serial", "TZ000101", "status"});
    EXPECT_EQ(doc["serial"], "TZ000101");
    EXPECT_EQ(doc["code"], 0);
    EXPECT_EQ(doc["meaning"], "ready");
    control("TZ000102", "cover-open");
    doc = run_json({"--serial", "TZ000102", "status"});
    EXPECT_EQ(doc["code"], 2309);
    EXPECT_EQ(doc["meaning"], "cover open");
}

TEST_F(Ctl, PrinterFailureExitsOneWithTheCodeAndItsMeaning) {
    ASSERT_EQ(control("TZ000101", "error 01").rfind("ok", 0), 0u);
    json doc = run_json({"--serial", "TZ000101", "led"}, 1);
    EXPECT_EQ(doc["ok"], false);
    EXPECT_EQ(doc["code"], 2600);  // a rejected command, reported as a communication failure
    Outcome r = run({"--serial", "TZ000101", "led"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("result 2600 (USB communication error)"), std::string::npos) << r.err;

    r = run({"--serial", "TZ999999", "status"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("TZ999999"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("result "), std::string::npos) << r.err;
}

TEST_F(Ctl, WatchReportsCoverOpenThenReady) {
    Child watch(kCtl, {"--json", "--serial", "TZ000102", "status", "--watch", "--count", "3", "--interval", "50"},
                folder_);
    ASSERT_TRUE(eventually([&] { return line_count(watch.out()) >= 1; }, 10s)) << watch.err();
    ASSERT_EQ(control("TZ000102", "cover-open").rfind("ok", 0), 0u);
    ASSERT_TRUE(eventually([&] { return line_count(watch.out()) >= 2; }, 10s)) << watch.out();
    ASSERT_EQ(control("TZ000102", "clear-error").rfind("ok", 0), 0u);
    ASSERT_EQ(watch.wait(10s), 0) << watch.err();

    std::istringstream lines(watch.out());
    std::vector<json> docs;
    for (std::string line; std::getline(lines, line);) docs.push_back(json::parse(line));
    ASSERT_EQ(docs.size(), 3u) << watch.out();
    EXPECT_EQ(docs[0]["code"], 0);
    EXPECT_EQ(docs[1]["code"], 2309);
    EXPECT_EQ(docs[1]["meaning"], "cover open");
    EXPECT_EQ(docs[2]["code"], 0);
    EXPECT_EQ(docs[2]["meaning"], "ready");
    for (const json& d : docs) EXPECT_TRUE(d["time"].is_string());
}

TEST_F(Ctl, WatchEndsCleanlyOnInterrupt) {
    Child watch(kCtl, {"--serial", "TZ000101", "status", "--watch"}, folder_);
    ASSERT_TRUE(eventually([&] { return line_count(watch.out()) >= 1; }, 10s)) << watch.err();
    watch.signal(SIGINT);
    EXPECT_EQ(watch.wait(10s), 0) << watch.err();
    EXPECT_NE(watch.out().find("TZ000101 0 (ready)"), std::string::npos) << watch.out();
}

// --- commands built when their exports exist --------------------------------

TEST_F(Ctl, ListShowsBothPrintersAsTheSupportedModel) {
    json doc = run_json({"list"});
    ASSERT_EQ(doc["count"], 2);
    EXPECT_EQ(doc["printers"][0]["serial"], "TZ000101");
    EXPECT_EQ(doc["printers"][1]["serial"], "TZ000102");
    for (const json& p : doc["printers"]) {
        EXPECT_EQ(p["model_ok"], true);
        EXPECT_EQ(p["code"], 0);
    }
}

TEST_F(Ctl, InfoShowsSevenFirmwareEntries) {
    json doc = run_json({"--serial", "TZ000101", "info"});
    ASSERT_EQ(doc["firmware"].size(), 7u) << doc.dump();
    for (const json& entry : doc["firmware"]) {
        EXPECT_FALSE(entry["name"].get<std::string>().empty());
        EXPECT_TRUE(entry["version_major"].is_number());
    }
    EXPECT_EQ(doc["serial_recorded"], "TZ000101");
    EXPECT_EQ(doc["serial_reported"], "TZ000101");
    EXPECT_EQ(doc["usb"]["vendor_id"], 0x0F3C);
    EXPECT_EQ(doc["usb"]["product_id"], 0x5A17);
    EXPECT_EQ(doc["media"]["width"], 2464);
    EXPECT_EQ(doc["media"]["height"], 3720);
}

TEST_F(Ctl, ParameterSetSurvivesARestartOfThePrinter) {
    // A printer of our own, restarted with the same state file.
    const std::string serial = "TZ000199";
    const std::string state = folder_.file(serial + ".json");
    auto start = [&] {
        auto printer = std::make_unique<Child>(
            kEmulator, std::vector<std::string>{"--dir", printers_folder(), "--serial", serial, "--state", state},
            folder_);
        EXPECT_TRUE(eventually([&] { return control(serial, "info").rfind("ok", 0) == 0; }, 10s));
        return printer;
    };
    auto printer = start();
    json doc = run_json({"--serial", serial, "param", "set", "0x8e", "-10"});
    EXPECT_EQ(doc["ok"], true);
    printer->signal(SIGTERM);
    ASSERT_EQ(printer->wait(10s), 0);
    printer.reset();
    printer = start();
    doc = run_json({"--serial", serial, "param", "get", "142"});
    EXPECT_EQ(doc["number"], 142);
    EXPECT_EQ(doc["value"], -10);
    EXPECT_EQ(doc["hex"], "0xfffffff6");
    printer->signal(SIGTERM);
    EXPECT_EQ(printer->wait(10s), 0);
}

TEST_F(Ctl, ParameterDumpHasEighteenParameters) {
    json doc = run_json({"--serial", "TZ000101", "param", "dump"});
    ASSERT_EQ(doc["parameters"].size(), 18u);
    EXPECT_EQ(doc["parameters"][0]["tag"], 200);
    EXPECT_EQ(doc["parameters"][0]["number"], 0x11);
    EXPECT_EQ(doc["parameters"][17]["number"], 0x14);
}

TEST_F(Ctl, RawCommandShowsTheAnswerFrameDecoded) {
    json doc = run_json({"--serial", "TZ000101", "raw", "06", "00", "0000"});  // Get Serial No.
    EXPECT_EQ(doc["sent"], "06 00 00 00");
    EXPECT_EQ(doc["answer"]["kind"], 1);
    EXPECT_EQ(doc["answer"]["length"], 8);
    EXPECT_EQ(doc["answer"]["payload"], "54 5a 30 30 30 31 30 31");  // "TZ000101"
    Outcome r = run({"--serial", "TZ000101", "raw", "0g"});
    EXPECT_EQ(r.status, 2);
}

}  // namespace
