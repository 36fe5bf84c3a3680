// Firmware downloads through the exports against virtual printers, which check
// what they receive, rewrite, and show the version and the installed file.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "emulator/clock.h"
#include "library_session.h"
#include "printer_farm.h"

namespace {

using tz::test::control;
using tz::test::eventually;
using tz::test::list_count;
using tz::test::PrinterFarm;
using tz::test::select_serial;
using tz::test::status_code;
using Bytes = std::vector<uint8_t>;
using namespace std::chrono_literals;

constexpr char kSerial[] = "SN000001";

// Pseudo-random bytes, so that any byte out of place changes the file's CRC-32.
Bytes filler(size_t size, uint32_t seed) {
    Bytes bytes(size);
    for (uint8_t& b : bytes) {
        seed = seed * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(seed >> 24);
    }
    return bytes;
}

// MAIN: identifier at 10, version as four hex characters at 26.
Bytes main_image(const char* identifier, const char* version) {
    Bytes image = filler(4096, 1);
    std::memcpy(image.data() + 10, identifier, 11);
    std::memcpy(image.data() + 26, version, 4);
    return image;
}

// USB: 49152 bytes starting with 0xC2; the header block is the last 64 bytes.
Bytes usb_image(uint8_t major, uint8_t minor) {
    Bytes image = filler(49152, 2);
    image[0] = 0xC2;
    std::memcpy(image.data() + 49098, "TZP-K2207-5", 11);
    image[49114] = major;
    image[49115] = minor;
    return image;
}

// The version of firmware entry 1..7 as the engine-ID record shows it.
std::string version_of(int entry) {
    uint8_t record[300];
    uint32_t size = sizeof record;
    if (tzpusb_getPrinterInfo(PINFTAG_ENGID, record, &size) != 1 || size != 267) return "no record";
    const uint8_t* e = record + 1 + 38 * (entry - 1);
    char text[8];
    std::snprintf(text, sizeof text, "%02X.%02X", e[34], e[35]);
    return text;
}

struct Outcome {
    int returned;
    uint16_t code;
    bool operator==(const Outcome&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Outcome& o) { return out << o.returned << "/" << o.code; }

Outcome start(int kind, int restart, uint32_t length) {
    uint16_t code = 0xFFFF;
    int returned = tzpusb_startDlMode(kind, restart, length, &code);
    return {returned, code};
}

Outcome end_download() {
    uint16_t code = 0xFFFF;
    int returned = tzpusb_endDlMode(&code);
    return {returned, code};
}

// Streams the image in pieces of `piece` bytes, always passing its start, and
// gives the total the library says it sent.
uint32_t stream(const Bytes& image, uint32_t piece) {
    uint32_t total = 0;
    while (total < image.size()) {
        uint32_t count = std::min<uint32_t>(piece, static_cast<uint32_t>(image.size()) - total);
        uint16_t code = 0xFFFF;
        if (tzpusb_continue(image.data(), &count, &code) != 1 || code != TZP_OK || count == 0) break;
        total += count;
    }
    return total;
}

class DownloadEndToEnd : public ::testing::Test {
protected:
    // A printer on the steady clock with this time scale, or without one on
    // the test's clock.
    void plug_in(std::optional<double> time_scale = std::nullopt) {
        tz::emulator::PrinterOptions options;
        options.folder = farm_.folder().path();
        options.serial = kSerial;
        if (time_scale)
            options.time_scale = *time_scale;
        else
            options.clock = clock_;
        printer_ = &farm_.add(options);
        uint16_t code = 0xFFFF;
        ASSERT_EQ(tzpusb_openDownload(-1, &code), 1) << code;
        opened_ = true;
        ASSERT_EQ(select_serial(kSerial), TZP_OK);
    }
    void TearDown() override {
        if (opened_) tzpusb_close();
    }
    std::string say(const std::string& command) { return control(*printer_, command); }
    std::string write_file(const std::string& name, const Bytes& bytes) {
        std::string path = farm_.folder().file(name);
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return path;
    }

    std::shared_ptr<tz::emulator::ManualClock> clock_ = std::make_shared<tz::emulator::ManualClock>();
    PrinterFarm farm_;
    tz::emulator::VirtualPrinter* printer_ = nullptr;
    bool opened_ = false;
};

TEST_F(DownloadEndToEnd, OneCallMainUpdateRewritesAndChangesTheVersion) {
    plug_in(0.05);  // the rewrite takes 1 s
    EXPECT_EQ(version_of(2), "05.10");
    const std::string path = write_file("main.bin", main_image("TZP-K2207-5", "0612"));
    uint16_t code = 0xFFFF;
    ASSERT_EQ(tzpusb_updateFirmware(2, path.c_str(), &code), 1) << code;
    EXPECT_EQ(code, TZP_OK);
    EXPECT_EQ(status_code(), TZP_DOWNLOADING);
    // As the upgrade program waits: polling the status until it is no longer 2107.
    EXPECT_TRUE(eventually([] { return status_code() != TZP_DOWNLOADING; }, 20s));
    EXPECT_EQ(status_code(), TZP_OK);
    EXPECT_EQ(version_of(2), "06.12");
    EXPECT_EQ(version_of(6), "01.04");
    EXPECT_EQ(say("firmware MAIN"), "ok part=MAIN size=4096 crc32=EA9A5398 version=06.12");
}

TEST_F(DownloadEndToEnd, UsbImageRotatedByTheCallerTakesThePrinterOffTheBusAndBack) {
    plug_in();
    EXPECT_EQ(version_of(6), "01.04");
    const Bytes file = usb_image(0x02, 0x07);
    Bytes rotated(file.end() - 64, file.end());
    rotated.insert(rotated.end(), file.begin(), file.end() - 64);

    EXPECT_EQ(start(6, 0, 49152), (Outcome{1, TZP_OK}));
    EXPECT_EQ(stream(rotated, 4096), 49152u);
    EXPECT_EQ(end_download(), (Outcome{1, TZP_OK}));
    EXPECT_EQ(status_code(), TZP_DOWNLOADING);
    clock_->advance_ms(2000);  // the controller has written its flash and restarts
    ASSERT_TRUE(eventually([] { return list_count() == 0; }));
    EXPECT_EQ(status_code(), TZP_NOT_RECOGNISED);
    clock_->advance_ms(10000);
    ASSERT_TRUE(eventually([] { return list_count() == 1 && select_serial(kSerial) == TZP_OK; }));
    EXPECT_EQ(status_code(), TZP_MAIN_INITIALISING);
    clock_->advance_ms(5000);
    EXPECT_EQ(status_code(), TZP_OK);
    EXPECT_EQ(version_of(6), "02.07");
    // The file as the printer put it together again, byte for byte.
    EXPECT_EQ(say("firmware USB"), "ok part=USB size=49152 crc32=177FB101 version=02.07");
}

TEST_F(DownloadEndToEnd, BadMainImageIsRefusedAndAGoodOneRestartsThePrinterWhenAsked) {
    plug_in();
    // The library streams what it is given; the printer looks inside.
    const Bytes bad = main_image("TZP-K2207-4", "0612");
    EXPECT_EQ(start(1, 0, 4096), (Outcome{1, TZP_OK}));
    EXPECT_EQ(stream(bad, 4096), 4096u);
    EXPECT_EQ(end_download(), (Outcome{1, TZP_OK}));
    EXPECT_EQ(status_code(), TZP_USB_ERROR);  // the printer's error answer, 2601 folded
    EXPECT_EQ(status_code(), TZP_OK);
    EXPECT_EQ(version_of(2), "05.10");
    EXPECT_EQ(say("firmware MAIN"), "ok part=MAIN none");

    // A good image in three calls, with a restart request.
    const Bytes good = main_image("TZP-K2207-5", "0701");
    EXPECT_EQ(start(1, 1, 4096), (Outcome{1, TZP_OK}));
    EXPECT_EQ(stream(good, 1500), 4096u);
    EXPECT_EQ(end_download(), (Outcome{1, TZP_OK}));
    EXPECT_EQ(status_code(), TZP_DOWNLOADING);
    clock_->advance_ms(20000);
    EXPECT_EQ(status_code(), TZP_MAIN_INITIALISING);
    clock_->advance_ms(10000);
    EXPECT_EQ(status_code(), TZP_OK);
    EXPECT_EQ(version_of(2), "07.01");
    EXPECT_EQ(say("firmware MAIN"), "ok part=MAIN size=4096 crc32=353AD9A7 version=07.01");
}

}  // namespace
