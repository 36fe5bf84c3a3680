// TZ5170Ctl end to end: the program run as a user runs it, against virtual
// printer processes (TZ000101 and TZ000102, started by run_with_printers.sh,
// which names their folder in TZ5170_EMULATOR), its JSON output parsed.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <vips/vips8>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "png_file.h"
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

// Where the two printers put what they print (a PNG and a JSON file per copy).
std::string prints_folder() {
    const char* folder = std::getenv("TZ5170_PRINTS");
    return folder != nullptr ? folder : "";
}

// The PNG files a printer has written so far, in the order printed.
std::vector<std::string> prints_of(const std::string& serial) {
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(prints_folder(), ec))
        if (entry.path().extension() == ".png" && entry.path().filename().string().rfind(serial + "-", 0) == 0)
            files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

void write_png(const std::string& path, uint32_t width, uint32_t height, const std::vector<uint8_t>& rgb) {
    ASSERT_TRUE(tz::test::write_png(path, width, height, rgb)) << path;
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

// A photo-like picture for the tool to decode: gradients under noise, `bands`
// of them (4: with alpha), 8-bit sRGB.
vips::VImage noisy_photo(int width, int height, int bands = 3) {
    using vips::VImage;
    static const bool started = VIPS_INIT("ctl-tests") == 0;
    EXPECT_TRUE(started);
    VImage xy = VImage::xyz(width, height);
    VImage x = xy[0], y = xy[1];
    VImage photo = (x * (200.0 / width) + 20).bandjoin(y * (180.0 / height) + 40).bandjoin((x + y) * 0.1 + 60);
    if (bands == 4) photo = photo.bandjoin(x * (255.0 / width));
    photo = photo + VImage::gaussnoise(width, height, VImage::option()->set("sigma", 20.0));
    return photo.cast(VIPS_FORMAT_UCHAR).copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

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

// --- printing ---------------------------------------------------------------

// A photo of exactly the print area is printed as it is, in either channel
// order, with the page settings beside it; two images on one printer print
// one after the other; a later print without a cut list clears the printer's.
TEST_F(Ctl, PrintedPageMatchesThePhotoPixelForPixel) {
    constexpr uint32_t kWidth = 64, kHeight = 48;
    std::vector<uint8_t> rgb(kWidth * kHeight * 3);
    for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<uint8_t>(i * 7 + i / 192);
    const std::string photo = folder_.file("photo.png");
    write_png(photo, kWidth, kHeight, rgb);
    json doc = run_json({"--serial", "TZ000101", "print", photo, photo, "--area", "64x48", "--copies", "2",
                         "--setting20", "5", "--setting30", "7", "--cut-list", "10,20", "--laminate-string", "3:Hello"});
    ASSERT_EQ(doc["prints"].size(), 2u) << doc.dump();
    EXPECT_EQ(doc["ok"], true);
    for (const json& print : doc["prints"]) {
        EXPECT_EQ(print["outcome"], "done");
        EXPECT_EQ(print["printed"], 2);
    }
    doc = run_json({"--serial", "TZ000101", "print", photo, "--area", "64x48", "--format", "4"});
    EXPECT_EQ(doc["prints"][0]["outcome"], "done") << doc.dump();

    std::vector<std::string> files;
    ASSERT_TRUE(eventually([&] { return (files = prints_of("TZ000101")).size() == 5; }, 10s));
    std::vector<json> settings;
    for (const std::string& file : files) {
        uint32_t width = 0, height = 0;
        std::vector<uint8_t> printed;
        ASSERT_TRUE(eventually([&] { return !(printed = tz::test::read_png(file, width, height)).empty(); }, 5s));
        EXPECT_EQ(width, kWidth);
        EXPECT_EQ(height, kHeight);
        EXPECT_TRUE(printed == rgb) << file;
        settings.push_back(json::parse(read_file(file.substr(0, file.size() - 4) + ".json")));
    }
    EXPECT_EQ(settings[0]["copies"], 2);
    EXPECT_EQ(settings[0]["tag20"], 5);
    EXPECT_EQ(settings[0]["tag30"], 7);
    EXPECT_EQ(settings[0]["cut_list"]["count"], 2);
    EXPECT_EQ(settings[0]["cut_list"]["cuts"][1], 20);
    ASSERT_EQ(settings[0]["laminate_strings"].size(), 12u);  // every page carries all twelve
    EXPECT_EQ(settings[0]["laminate_strings"][2]["slot"], 3);
    EXPECT_EQ(settings[0]["laminate_strings"][2]["text"], "Hello");
    EXPECT_EQ(settings[0]["laminate_strings"][3]["text"], "");
    EXPECT_EQ(settings[4]["laminate_strings"][2]["text"], "");
    EXPECT_EQ(settings[4]["cut_list"]["count"], 255);
    EXPECT_EQ(settings[4]["tag20"], 2);
}

// The landscape chart on a portrait area: turned a quarter clockwise (its
// top left corner mark at the top right), fitted with white beside it.
TEST_F(Ctl, ChartJpegIsTurnedAndFittedIntoTheArea) {
    const std::string chart = folder_.file("chart.jpg");
    json made = run_json({"chart", "-o", chart, "--size", "600x400"});
    EXPECT_EQ(made["width"], 600);
    json doc = run_json({"--serial", "TZ000102", "print", chart, "--area", "300x400"});
    const json& print = doc["prints"][0];
    ASSERT_EQ(print["outcome"], "done") << doc.dump();
    EXPECT_EQ(print["placed"], json({{"width", 267}, {"height", 400}, {"offset_x", 16}, {"offset_y", 0}}));

    std::vector<std::string> files;
    ASSERT_TRUE(eventually([&] { return (files = prints_of("TZ000102")).size() == 1; }, 10s));
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> png;
    ASSERT_TRUE(eventually([&] { return !(png = tz::test::read_png(files[0], width, height)).empty(); }, 5s));
    ASSERT_EQ(width, 300u);
    ASSERT_EQ(height, 400u);
    auto at = [&](int x, int y) {
        const uint8_t* p = png.data() + (size_t(y) * width + x) * 3;
        return std::vector<int>{p[0], p[1], p[2]};
    };
    EXPECT_EQ(at(3, 200), std::vector<int>({255, 255, 255}));    // the border beside the chart
    EXPECT_EQ(at(296, 200), std::vector<int>({255, 255, 255}));
    EXPECT_LT(at(16 + 267 - 7, 6)[0], 60);                        // the corner triangle, now top right
    EXPECT_GT(at(16 + 7, 6)[0], 200);                             // the chart's bottom left, white
    const std::vector<int> red = at(242, 42);                     // the red patch
    EXPECT_GT(red[0], 200);
    EXPECT_LT(red[1], 60);
    EXPECT_LT(red[2], 60);
}

TEST_F(Ctl, TwoPrintersPrintAtOnce) {
    const std::string a = folder_.file("a.png"), b = folder_.file("b.png");
    std::vector<uint8_t> red(40 * 30 * 3), blue(40 * 30 * 3);
    for (size_t p = 0; p < red.size(); p += 3) {
        red[p] = 250;
        blue[p + 2] = 250;
    }
    write_png(a, 40, 30, red);
    write_png(b, 40, 30, blue);
    json doc = run_json({"--serial", "TZ000101", "--serial", "TZ000102", "print", a, b, "--area", "40x30"});
    ASSERT_EQ(doc["prints"].size(), 2u) << doc.dump();
    EXPECT_EQ(doc["prints"][0]["serial"], "TZ000101");
    EXPECT_EQ(doc["prints"][0]["image"], a);
    EXPECT_EQ(doc["prints"][1]["serial"], "TZ000102");
    EXPECT_EQ(doc["prints"][1]["print_id"].get<int>() >> 8, 1);  // the second printer's print IDs
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(doc["prints"][i]["outcome"], "done");
        std::vector<std::string> files;
        const std::string serial = doc["prints"][i]["serial"];
        ASSERT_TRUE(eventually([&] { return (files = prints_of(serial)).size() == 1; }, 10s));
        uint32_t width = 0, height = 0;
        std::vector<uint8_t> png;
        ASSERT_TRUE(eventually([&] { return !(png = tz::test::read_png(files[0], width, height)).empty(); }, 5s));
        EXPECT_TRUE(png == (i == 0 ? red : blue)) << serial;
    }
}

// Ctrl-C while the copies come out, then `cancel all` from another program:
// both end the job, and the print reports it cancelled with exit status 1.
TEST_F(Ctl, InterruptOrCancelEndsTheJob) {
    const std::string photo = folder_.file("photo.png");
    write_png(photo, 40, 30, std::vector<uint8_t>(40 * 30 * 3, 128));
    const std::vector<std::string> print_args{"--json", "--serial", "TZ000101", "print", photo, "--area", "40x30",
                                              "--copies", "20"};
    for (bool interrupt : {true, false}) {
        Child print(kCtl, print_args, folder_);
        // Past the data, into the copies (half a second each).
        ASSERT_TRUE(eventually([&] { return print.err().find(": 50%") != std::string::npos; }, 10s)) << print.err();
        json jobs = run_json({"--serial", "TZ000101", "jobs"});
        ASSERT_EQ(jobs["jobs"].size(), 1u) << jobs.dump();
        EXPECT_EQ(jobs["jobs"][0]["copies"], 20);
        if (interrupt) {
            print.signal(SIGINT);
        } else {
            json cancelled = run_json({"--serial", "TZ000101", "cancel", "all"});
            EXPECT_EQ(cancelled["cancelled"], json::array({jobs["jobs"][0]["print_id"]}));
        }
        ASSERT_EQ(print.wait(15s), 1) << print.err();
        json doc = json::parse(print.out());
        EXPECT_EQ(doc["ok"], false);
        EXPECT_EQ(doc["prints"][0]["outcome"], "cancelled") << doc.dump();
        EXPECT_TRUE(eventually([&] { return run_json({"--serial", "TZ000101", "jobs"})["jobs"].empty(); }, 5s));
    }
    EXPECT_LT(prints_of("TZ000101").size(), 10u);
}

TEST_F(Ctl, PrinterErrorEndsThePrintWithItsCodeAndMeaning) {
    const std::string photo = folder_.file("photo.png");
    write_png(photo, 40, 30, std::vector<uint8_t>(40 * 30 * 3, 200));
    ASSERT_EQ(control("TZ000102", "cover-open").rfind("ok", 0), 0u);
    json doc = run_json({"--serial", "TZ000102", "print", photo, "--area", "40x30", "--error-wait", "1"}, 1);
    EXPECT_EQ(doc["prints"][0]["outcome"], "error");
    EXPECT_EQ(doc["prints"][0]["code"], 2309);
    EXPECT_EQ(doc["prints"][0]["meaning"], "cover open");
}

TEST_F(Ctl, PrintUsageErrorsExitTwoBeforeAnyPrinterIsAsked) {
    const std::string photo = folder_.file("photo.png"), text = folder_.file("notes.txt");
    write_png(photo, 40, 30, std::vector<uint8_t>(40 * 30 * 3, 0));
    std::ofstream(text) << "not a photo\n";
    // Files that never end, or whose open blocks until somebody writes.
    const std::string fifo = folder_.file("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::vector<std::vector<std::string>> cases{
        {"--serial", "TZ000101", "--serial", "TZ000102", "print", photo},  // two printers, one image
        {"--serial", "TZ000101", "--serial", "TZ000101", "print", photo, photo},
        {"--serial", "TZ000101", "print", photo, "--area", "41x30"},
        {"--serial", "TZ000101", "print", photo, "--format", "5"},
        {"--serial", "TZ000101", "print", photo, "--copies", "0"},
        {"--serial", "TZ000101", "print", photo, "--gamma", "0"},
        {"--serial", "TZ000101", "print", photo, "--sharpen", "1,2,3"},
        {"--serial", "TZ000101", "print", photo, "--cut-list", "1,x"},
        {"--serial", "TZ000101", "print", photo, "--laminate-string", "13:x"},
        {"--serial", "TZ000101", "print", photo, "--laminate-string", "1:123456789012345678901"},
        {"--serial", "TZ000101", "print", photo, "--icc", photo, photo},
        {"--serial", "TZ000101", "print", folder_.file("missing.jpg")},
        {"--serial", "TZ000101", "print", text},
        {"--serial", "TZ000101", "print", "/dev/zero"},
        {"--serial", "TZ000101", "print", fifo},
        {"--serial", "TZ000101", "print", photo, "--sharpen", "/dev/zero"},
        {"--serial", "TZ000101", "print", photo, "--sharpen", fifo},
        {"--serial", "TZ000101", "print", photo, "--gamma", "/dev/zero"},
        {"--serial", "TZ000101", "print", photo, "--icc", fifo, fifo},
        {"--serial", "TZ000101", "laminate-update", "16", "/dev/zero"},
        {"--serial", "TZ000101", "--serial", "TZ000102", "jobs"},
        {"--serial", "TZ000101", "cancel", "x"},
        {"chart", "-o", folder_.file("chart.gif")},
    };
    for (const auto& args : cases) {
        Outcome r = run(args);
        EXPECT_EQ(r.status, 2) << args.back() << ": " << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
        EXPECT_FALSE(r.err.empty()) << args.back();
    }
    EXPECT_TRUE(prints_of("TZ000101").empty());
}

// A kernel file is nine whole numbers separated by blanks, commas or line
// ends, with comment lines; any other file is refused, saying what is wrong,
// before a printer is asked. The numbers read are the ones printed with: the
// identity kernel leaves the photo as it is.
TEST_F(Ctl, KernelFilesAreCheckedBeforePrinting) {
    const std::string photo = folder_.file("photo.png"), kernel = folder_.file("kernel.txt");
    std::vector<uint8_t> rgb(40 * 30 * 3);
    for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<uint8_t>(i * 13);
    write_png(photo, 40, 30, rgb);
    std::ofstream(kernel) << "# identity, in hundredths\r\n  # indented comment\n0, 0,0\n\n0\t+100 0\r\n0 -0 0";
    json doc = run_json({"--serial", "TZ000101", "print", photo, "--area", "40x30", "--sharpen", kernel});
    EXPECT_EQ(doc["prints"][0]["outcome"], "done") << doc.dump();
    std::vector<std::string> files;
    ASSERT_TRUE(eventually([&] { return (files = prints_of("TZ000101")).size() == 1; }, 10s));
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> png;
    ASSERT_TRUE(eventually([&] { return !(png = tz::test::read_png(files[0], width, height)).empty(); }, 5s));
    EXPECT_TRUE(png == rgb);

    const std::vector<std::pair<std::string, std::string>> refused{
        {"Shopping list: 2 eggs, 1 loaf, 3 apples\n4 5 6 7 8 9\n", "line 1: \"Shopping\" is not a whole number"},
        {"0 0 0\n0 100 0\n0 0\n", "8 numbers; a kernel file holds nine"},
        {"0 0 0 0 100 0 0 0 0 0\n", "more than nine numbers (line 1)"},
        {"0 0 0\n0 1.5 0\n0 0 0\n", "line 2: \"1.5\" is not a whole number"},
        {"0 0 0\n0 10001 0\n0 0 0\n", "line 2: 10001 is outside the coefficients' range, -10000 to 10000"},
        {"0 0 0 0 100 0 0 0 0 # identity\n", "line 1: \"#\" is not a whole number"},
    };
    for (const auto& [text, why] : refused) {
        std::ofstream(kernel, std::ios::trunc) << text;
        Outcome r = run({"--serial", "TZ000101", "print", photo, "--area", "40x30", "--sharpen", kernel});
        EXPECT_EQ(r.status, 2) << text;
        EXPECT_NE(r.err.find("--sharpen " + kernel + ": " + why), std::string::npos) << r.err;
    }
    EXPECT_EQ(prints_of("TZ000101").size(), 1u);
}

// Each photo printed on TZ000101 decoded whole before its page, and on
// TZ000102 sent as it is decoded: the pages that come out are the same for
// every option that changes the pixels. 600 x 400 is six bands and a part.
TEST_F(Ctl, StreamedPagesAreTheWholePhotosPages) {
    using vips::VImage;
    const std::string wide = folder_.file("wide.jpg"), tall = folder_.file("tall.jpg"), turned = folder_.file("exif6.jpg"),
                      profiled = folder_.file("p3.jpg"), alpha = folder_.file("alpha.png"), small = folder_.file("small.jpg");
    noisy_photo(1500, 900).jpegsave(wide.c_str());
    noisy_photo(700, 1000).jpegsave(tall.c_str());
    VImage exif = noisy_photo(1000, 700).copy();
    exif.set(VIPS_META_ORIENTATION, 6);
    exif.jpegsave(turned.c_str());
    VImage p3 = noisy_photo(900, 600).icc_transform("p3", VImage::option()->set("input_profile", "srgb"));
    p3.jpegsave(profiled.c_str());
    noisy_photo(800, 500, 4).pngsave(alpha.c_str());
    noisy_photo(300, 211).jpegsave(small.c_str());
    // Two profiles for the library's colour matching, taken from libvips.
    const std::string source = folder_.file("p3.icc"), destination = folder_.file("srgb.icc");
    auto save_profile = [](const VImage& image, const std::string& path) {
        size_t size = 0;
        const void* data = image.get_blob(VIPS_META_ICC_NAME, &size);
        std::ofstream(path, std::ios::binary).write(static_cast<const char*>(data), std::streamsize(size));
    };
    save_profile(p3, source);
    save_profile(noisy_photo(8, 8).icc_transform("srgb", VImage::option()->set("input_profile", "srgb")), destination);

    const std::vector<std::vector<std::string>> cases{
        {wide},                                   // fitted, white above and below
        {wide, "--fill"},                         // cropped at both sides
        {tall},                                   // turned a quarter for the area
        {tall, "--fill"},
        {turned},                                 // upright by its orientation tag
        {profiled},                               // its own profile
        {alpha},                                  // alpha on white, PNG
        {small},                                  // enlarged
        {wide, "--format", "4"},                  // the library turns BGR back
        {wide, "--gamma", "1.8"},
        {wide, "--sharpen", "0,-25,0,-25,200,-25,0,-25,0"},
        {wide, "--sharpen", "-10,-10,-10,-10,180,-10,-10,-10,-10"},
        {wide, "--icc", source, destination},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        std::vector<std::string> args{"--json", "--serial", "TZ000101", "print", "--area", "600x400", "--whole-photo"};
        args.insert(args.end(), cases[i].begin(), cases[i].end());
        Child whole(kCtl, args, folder_);
        args[2] = "TZ000102";
        args.erase(args.begin() + 6);
        Child streamed(kCtl, args, folder_);
        ASSERT_EQ(whole.wait(30s), 0) << whole.err();
        ASSERT_EQ(streamed.wait(30s), 0) << streamed.err();
        EXPECT_EQ(json::parse(whole.out())["prints"][0]["placed"], json::parse(streamed.out())["prints"][0]["placed"]);

        std::vector<std::string> pages[2];
        std::vector<uint8_t> pixels[2];
        for (int p = 0; p < 2; ++p) {
            const std::string serial = p == 0 ? "TZ000101" : "TZ000102";
            ASSERT_TRUE(eventually([&] { return (pages[p] = prints_of(serial)).size() == i + 1; }, 10s)) << serial;
            uint32_t width = 0, height = 0;
            ASSERT_TRUE(eventually([&] { return !(pixels[p] = tz::test::read_png(pages[p][i], width, height)).empty(); }, 5s));
        }
        EXPECT_TRUE(pixels[0] == pixels[1]) << cases[i].front() << " " << (cases[i].size() > 1 ? cases[i][1] : "");
    }
}

// A JPEG whose header is whole and whose data ends early: the page has been
// started with its first lines when the decoding fails. The print fails like
// a photo that cannot be read, the printer drops the page, nothing comes out,
// and the printer takes the next page as a page of its own.
TEST_F(Ctl, PhotoEndingEarlyBreaksThePageOffUnprinted) {
    const std::string full = folder_.file("full.jpg"), cut = folder_.file("cut.jpg");
    noisy_photo(1500, 1000).jpegsave(full.c_str());
    const std::string bytes = read_file(full);
    std::ofstream(cut, std::ios::binary) << bytes.substr(0, bytes.size() * 6 / 10);

    Outcome r = run({"--json", "--serial", "TZ000101", "print", cut, "--area", "600x400"});
    EXPECT_EQ(r.status, 1) << r.err;
    json doc = json::parse(r.out);
    EXPECT_EQ(doc["prints"][0]["outcome"], "error") << doc.dump();
    EXPECT_EQ(doc["prints"][0]["code"], 1005);
    EXPECT_NE(doc["prints"][0]["print_id"], 0) << "the page was not started";
    EXPECT_NE(r.err.find(cut + ": "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("broken off"), std::string::npos) << r.err;

    EXPECT_TRUE(eventually([&] { return run_json({"--serial", "TZ000101", "jobs"})["jobs"].empty(); }, 5s));
    doc = run_json({"--serial", "TZ000101", "print", full, "--area", "600x400"});
    EXPECT_EQ(doc["prints"][0]["outcome"], "done") << doc.dump();
    std::this_thread::sleep_for(1s);  // time for a page to come out, were one coming
    EXPECT_EQ(prints_of("TZ000101").size(), 1u);
}

}  // namespace
