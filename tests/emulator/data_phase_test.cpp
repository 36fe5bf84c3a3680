// What follows an Update Command or a Print Command is data, not commands:
// tone curves, the laminate pattern, firmware images and page pixels, and
// how the printer refuses bad data.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "model_harness.h"
#include "png_file.h"
#include "temp_folder.h"

namespace {

using tz::emulator::Bytes;
using tz::test::kAck;
using tz::test::kRefused;
using tz::test::ModelHarness;
using tz::test::packet;
using tz::test::read_png;
using tz::test::ready_header;
using tz::test::TempFolder;
using tz::test::with;

const Bytes kStatus = {0x01, 0x00, 0x00, 0x00};

// Update Command: target, sub-target, restart (LE32), byte count (LE32).
Bytes update(uint8_t target, uint8_t sub, uint32_t count, uint8_t restart = 0) {
    return {0x04, 0xC0, 0x0A, 0x00, target, sub, restart, 0, 0, 0,
            static_cast<uint8_t>(count), static_cast<uint8_t>(count >> 8), static_cast<uint8_t>(count >> 16),
            static_cast<uint8_t>(count >> 24)};
}

Bytes ramp(size_t size, int modulo = 256) {
    Bytes data(size);
    for (size_t i = 0; i < size; ++i) data[i] = static_cast<uint8_t>(i % modulo);
    return data;
}

Bytes main_image() {
    Bytes image(12000, 0);
    std::memcpy(image.data() + 10, "TZP-K2207-5", 11);
    std::memcpy(image.data() + 26, "0612", 4);
    return image;
}

// Version bytes and 16-bit value of a firmware entry (payload bytes 34..37).
Bytes entry_tail(ModelHarness& printer, uint8_t entry) {
    Bytes frame = printer.ask({0x03, 0xC0, 0x01, 0x00, entry});
    return Bytes(frame.begin() + 44, frame.end());
}

TEST(ToneCurveData, CurveSentAfterUpdateIsReadBackInFramedPackets) {
    ModelHarness printer;
    Bytes curve = ramp(1536, 253);
    EXPECT_EQ(printer.ask(update(3, 2, 1536)), kAck);  // curve type 1, kind 2
    // The data goes in two pieces; neither is taken for a command nor answered.
    printer.stream(Bytes(curve.begin(), curve.begin() + 1000));
    printer.stream(Bytes(curve.begin() + 1000, curve.end()));

    std::vector<Bytes> answers = printer.send({0x05, 0x40, 0x02, 0x00, 0x01, 0x02});
    ASSERT_EQ(answers.size(), 9u);
    EXPECT_EQ(answers[0], with(ready_header(2), {0x00, 0x06}));  // 1536 bytes follow
    Bytes received;
    for (size_t i = 1; i < answers.size(); ++i) {
        ASSERT_EQ(answers[i].size(), 194u);
        EXPECT_EQ(answers[i][0], i);     // packet number
        EXPECT_EQ(answers[i][1], 192);   // data bytes in this packet
        received.insert(received.end(), answers[i].begin() + 2, answers[i].end());
    }
    EXPECT_EQ(received, curve);
    // The other type of the same kind is untouched: the factory curve, most significant byte first.
    answers = printer.send({0x05, 0x40, 0x02, 0x00, 0x02, 0x02});
    ASSERT_EQ(answers.size(), 9u);
    EXPECT_EQ(Bytes(answers[1].begin(), answers[1].begin() + 8), (Bytes{1, 192, 0x00, 0x00, 0x01, 0x01, 0x02, 0x02}));

    // Reset Command target 4 puts kind 2 back to the factory curve.
    EXPECT_EQ(printer.ask({0x04, 0x40, 0x02, 0x00, 0x04, 0x02}), kAck);
    answers = printer.send({0x05, 0x40, 0x02, 0x00, 0x01, 0x02});
    EXPECT_EQ(Bytes(answers[1].begin(), answers[1].begin() + 8), (Bytes{1, 192, 0x00, 0x00, 0x01, 0x01, 0x02, 0x02}));
    EXPECT_TRUE(printer.model().state().tone_curves.empty());
}

TEST(ToneCurveData, BadCurveAnnouncementsAndReadsAreRefused) {
    ModelHarness printer;
    EXPECT_EQ(printer.ask(update(3, 0, 1536)), kRefused);
    EXPECT_EQ(printer.ask(update(4, 5, 1536)), kRefused);
    EXPECT_EQ(printer.ask(update(3, 1, 1535)), kRefused);
    EXPECT_EQ(printer.ask({0x05, 0x40, 0x02, 0x00, 0x03, 0x01}), kRefused);
    EXPECT_EQ(printer.ask({0x05, 0x40, 0x02, 0x00, 0x01, 0x00}), kRefused);
    // Refused announcements start no data phase: the next packet is a command.
    EXPECT_EQ(printer.ask(kStatus).at(0), 0x01);
}

TEST(LaminateData, PatternIsTakenInPiecesAndRemembered) {
    ModelHarness printer;
    EXPECT_EQ(printer.ask(update(16, 0, 9166080)), kAck);
    printer.stream(ramp(9166080, 251));
    auto laminate = printer.model().state().laminate;
    EXPECT_TRUE(laminate.custom);
    EXPECT_EQ(laminate.size, 9166080u);
    EXPECT_EQ(laminate.crc32, 0x23EA44E5u);
    EXPECT_EQ(printer.ask(kStatus).at(0), 0x01);

    EXPECT_EQ(printer.ask(update(16, 0, 0)), kAck);  // nothing announced, nothing changes
    EXPECT_TRUE(printer.model().state().laminate.custom);
    EXPECT_EQ(printer.ask(update(16, 0, 1000)), kRefused);
    EXPECT_EQ(printer.ask(update(16, 1, 9166080)), kRefused);
    EXPECT_EQ(printer.ask({0x04, 0x40, 0x02, 0x00, 0x10, 0x00}), kAck);
    EXPECT_FALSE(printer.model().state().laminate.custom);
}

TEST(FirmwareData, MainImageIsRewrittenWhileTheStatusSaysDownloadRunningThenThePrinterRestarts) {
    ModelHarness printer;
    Bytes image = main_image();
    EXPECT_EQ(printer.ask(update(1, 0, static_cast<uint32_t>(image.size()), 1)), kAck);  // restart byte 1
    printer.stream(image);
    EXPECT_EQ(printer.state_byte(), 0x37);
    // Commands that need the printer are refused with the same state byte meanwhile.
    EXPECT_EQ(printer.ask({0x04, 0x40, 0x02, 0x00, 0x03, 0x00}), (Bytes{0x02, 0x37, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(entry_tail(printer, 2), (Bytes{0x05, 0x10, 0xC2, 0x91}));
    EXPECT_EQ(printer.model().installed_firmware(tz::emulator::FirmwarePart::Main), nullptr);
    printer.wait_ms(19999);
    EXPECT_EQ(printer.state_byte(), 0x37);
    printer.wait_ms(1);
    // Version "0612" from offset 26, and the 16-bit sum of the image.
    EXPECT_EQ(entry_tail(printer, 2), (Bytes{0x06, 0x12, 0x6C, 0x03}));
    auto installed = printer.model().installed_firmware(tz::emulator::FirmwarePart::Main);
    ASSERT_NE(installed, nullptr);
    EXPECT_EQ(installed->image, image);
    EXPECT_EQ(installed->crc32, 0x518E7E10u);
    // The restart the Update Command asked for: initialising for 10 s.
    EXPECT_EQ(printer.state_byte(), 0x31);
    printer.wait_ms(9999);
    EXPECT_EQ(printer.state_byte(), 0x31);
    printer.wait_ms(1);
    EXPECT_EQ(printer.state_byte(), 0x00);
}

TEST(FirmwareData, DspAndTableImagesCarryTheirVersionsWhereTheirPartsKeepThem) {
    ModelHarness printer;
    Bytes dsp(61400, 0);
    std::memcpy(dsp.data() + 61328, "TZP-K2207-5", 11);
    std::memcpy(dsp.data() + 61344, "0304", 4);
    EXPECT_EQ(printer.ask(update(0, 0, 61400)), kAck);
    printer.stream(dsp);
    printer.wait_ms(14999);
    EXPECT_EQ(printer.state_byte(), 0x37);
    printer.wait_ms(1);
    EXPECT_EQ(printer.state_byte(), 0x00);  // restart byte 0: ready at once
    EXPECT_EQ(entry_tail(printer, 4), (Bytes{0x03, 0x04, 0x6A, 0x03}));

    Bytes table(40, 0);
    std::memcpy(table.data() + 10, "TZP-K2207-5", 11);
    table[26] = 0x01; table[27] = 0x02; table[28] = 0x03; table[29] = 0x00;
    EXPECT_EQ(printer.ask(update(2, 0, 40)), kAck);
    printer.stream(table);
    printer.wait_ms(8000);
    EXPECT_EQ(entry_tail(printer, 7), (Bytes{0x21, 0x03, 0xA9, 0x02}));
}

TEST(FirmwareData, WrongSizesAreRefusedAtTheAnnouncement) {
    ModelHarness printer;
    EXPECT_EQ(printer.ask(update(1, 0, 20)), kRefused);
    EXPECT_EQ(printer.ask(update(2, 0, 20)), kRefused);
    EXPECT_EQ(printer.ask(update(0, 0, 61338)), kRefused);
    EXPECT_EQ(printer.ask(update(1, 1, 1000)), kRefused);
    EXPECT_EQ(printer.ask(update(1, 0, 17u << 20)), kRefused);
    EXPECT_EQ(printer.ask(update(5, 0, 1000)), kRefused);
    EXPECT_EQ(printer.ask({0x01, 0x80, 0x05, 0x00, 0x01, 0x00, 0x40, 0xFF, 0xBF}), kRefused);  // 49151 bytes
    EXPECT_EQ(printer.ask({0x01, 0x80, 0x05, 0x00, 0x02, 0x00, 0x40, 0x00, 0xC0}), kRefused);  // mode 2
    EXPECT_EQ(printer.ask({0x01, 0x80, 0x05, 0x00, 0x01, 0x00, 0x30, 0x00, 0xC0}), kRefused);  // address 0x3000
    EXPECT_EQ(printer.ask(kStatus).at(0), 0x01);
}

TEST(FirmwareData, ImageForAnotherModelIsSwallowedThenRefusedOnTheNextCommand) {
    ModelHarness printer;
    Bytes image = main_image();
    image[20] = '6';  // TZP-K2207-6
    EXPECT_EQ(printer.ask(update(1, 0, static_cast<uint32_t>(image.size()))), kAck);
    printer.stream(image);
    EXPECT_EQ(printer.ask(kStatus), kRefused);
    EXPECT_NE(printer.model().last_refusal().find("model"), std::string::npos);
    EXPECT_EQ(printer.state_byte(), 0x00);  // no rewrite, and only one refusal
    EXPECT_EQ(entry_tail(printer, 2), (Bytes{0x05, 0x10, 0xC2, 0x91}));

    Bytes no_version = main_image();
    no_version[28] = 'G';
    EXPECT_EQ(printer.ask(update(1, 0, static_cast<uint32_t>(no_version.size()))), kAck);
    printer.stream(no_version);
    EXPECT_EQ(printer.ask(kStatus), kRefused);
}

TEST(FirmwareData, UsbImageArrivesRotatedAndTheControllerLeavesTheBus) {
    ModelHarness printer;
    Bytes image(49152, 0);
    image[0] = 0xC2;
    std::memcpy(image.data() + 49098, "TZP-K2207-5", 11);
    image[49114] = 0x02;
    image[49115] = 0x07;
    Bytes rotated(image.end() - 64, image.end());
    rotated.insert(rotated.end(), image.begin(), image.end() - 64);

    EXPECT_EQ(printer.ask({0x01, 0x80, 0x05, 0x00, 0x01, 0x00, 0x40, 0x00, 0xC0}), kAck);
    printer.stream(rotated);
    EXPECT_EQ(printer.state_byte(), 0x37);
    EXPECT_TRUE(printer.model().on_bus());
    printer.wait_ms(2000);  // flash written: the controller restarts
    EXPECT_FALSE(printer.model().on_bus());
    EXPECT_EQ(entry_tail(printer, 6), (Bytes{0x02, 0x07, 0x6E, 0x03}));
    // Kept as the file it came from, not as it arrived.
    auto installed = printer.model().installed_firmware(tz::emulator::FirmwarePart::Usb);
    ASSERT_NE(installed, nullptr);
    EXPECT_EQ(installed->image, image);
    printer.wait_ms(10000);
    EXPECT_TRUE(printer.model().on_bus());
    EXPECT_EQ(printer.state_byte(), 0x31);
    printer.wait_ms(5000);
    EXPECT_EQ(printer.state_byte(), 0x00);

    // The image as it lies in the file (not rotated) has no identifier where the printer looks.
    EXPECT_EQ(printer.ask({0x01, 0x80, 0x05, 0x00, 0x01, 0x00, 0x40, 0x00, 0xC0}), kAck);
    printer.stream(image);
    EXPECT_EQ(printer.ask(kStatus), kRefused);
}

TEST(FirmwareData, RefusedImagesKeepTheOldFirmwareAndTheStateFile) {
    using tz::emulator::FirmwarePart;
    TempFolder folder;
    const std::string state_file = folder.file("printer.json");
    ModelHarness printer(1.0, "", state_file);
    Bytes main = main_image();
    EXPECT_EQ(printer.ask(update(1, 0, 12000)), kAck);
    printer.stream(main);
    printer.wait_ms(20000);
    auto read_file = [&] {
        std::ifstream in(state_file);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string kept = read_file();
    ASSERT_NE(kept.find("\"06.12\""), std::string::npos);

    Bytes usb(49152, 0);  // as it arrives: header block first, the file's first byte at 64
    std::memcpy(usb.data() + 10, "TZP-K2207-5", 11);
    usb[26] = 0x09;
    usb[64] = 0xC3;
    Bytes dsp(61400, 0);
    std::memcpy(dsp.data() + 10, "TZP-K2207-5", 11);  // where MAIN has it, not at 61328
    std::memcpy(dsp.data() + 61344, "0999", 4);
    Bytes longer_main = main_image();
    std::memcpy(longer_main.data() + 26, "0999", 4);
    longer_main.push_back(0);
    const Bytes usb_download = {0x01, 0x80, 0x05, 0x00, 0x01, 0x00, 0x40, 0x00, 0xC0};

    EXPECT_EQ(printer.ask(usb_download), kAck);
    printer.stream(usb);
    EXPECT_EQ(printer.ask(kStatus), kRefused);
    usb[64] = 0xC2;
    usb.push_back(0);  // 49153 bytes after an announcement of 49152, the last piece one byte too long
    EXPECT_EQ(printer.ask(usb_download), kAck);
    printer.stream(Bytes(usb.begin(), usb.begin() + 45056));
    EXPECT_TRUE(printer.send(Bytes(usb.begin() + 45056, usb.end())).empty());
    EXPECT_EQ(printer.ask(kStatus), kRefused);
    EXPECT_EQ(printer.ask(update(0, 0, 61400)), kAck);
    printer.stream(dsp);
    EXPECT_EQ(printer.ask(kStatus), kRefused);
    EXPECT_EQ(printer.ask(update(1, 0, 12000)), kAck);
    printer.stream(longer_main);
    EXPECT_EQ(printer.ask(kStatus), kRefused);

    printer.wait_ms(60000);
    EXPECT_EQ(printer.state_byte(), 0x00);  // no rewrite ever started
    EXPECT_TRUE(printer.model().on_bus());
    EXPECT_EQ(entry_tail(printer, 2), (Bytes{0x06, 0x12, 0x6C, 0x03}));
    EXPECT_EQ(entry_tail(printer, 4), (Bytes{0x02, 0x03, 0xBD, 0x17}));
    EXPECT_EQ(entry_tail(printer, 6), (Bytes{0x01, 0x04, 0x10, 0x6F}));
    EXPECT_EQ(read_file(), kept);
    EXPECT_EQ(printer.model().installed_firmware(FirmwarePart::Main)->image, main);
    EXPECT_EQ(printer.model().installed_firmware(FirmwarePart::Usb), nullptr);
    EXPECT_EQ(printer.model().installed_firmware(FirmwarePart::Dsp), nullptr);
}

TEST(FirmwareData, ImageThatArrivesWhileAnotherIsBeingRewrittenIsRefused) {
    ModelHarness printer;
    auto a = printer.model().open_session();
    auto b = printer.model().open_session();
    Bytes first = main_image();
    Bytes second = main_image();
    std::memcpy(second.data() + 26, "0700", 4);
    EXPECT_EQ(printer.ask(update(1, 0, 12000), a), kAck);
    EXPECT_EQ(printer.ask(update(1, 0, 12000), b), kAck);
    printer.stream(first, a);
    printer.stream(second, b);
    EXPECT_EQ(printer.ask(kStatus, b), kRefused);
    printer.wait_ms(20000);
    EXPECT_EQ(entry_tail(printer, 2), (Bytes{0x06, 0x12, 0x6C, 0x03}));
    EXPECT_EQ(printer.model().installed_firmware(tz::emulator::FirmwarePart::Main)->image, first);
    EXPECT_EQ(printer.state_byte(), 0x00);
}

TEST(DataPhase, MoreDataThanAnnouncedIsRefused) {
    ModelHarness printer;
    EXPECT_EQ(printer.ask(update(3, 1, 1536)), kAck);
    EXPECT_TRUE(printer.send(ramp(1537)).empty());
    EXPECT_EQ(printer.ask(kStatus), kRefused);
    EXPECT_TRUE(printer.model().state().tone_curves.empty());
    EXPECT_EQ(printer.ask(kStatus).at(0), 0x01);
}

TEST(DataPhase, AnnouncedDataThatNeverComesIsDroppedAfterAMinute) {
    ModelHarness printer;
    EXPECT_EQ(printer.ask(update(3, 1, 1536)), kAck);
    printer.stream(ramp(100));
    printer.wait_ms(60001);
    EXPECT_EQ(printer.ask(kStatus), kRefused);
    EXPECT_EQ(printer.ask(kStatus).at(0), 0x01);
    EXPECT_TRUE(printer.model().state().tone_curves.empty());
}

TEST(DataPhase, DataBelongsToTheConnectionThatAnnouncedIt) {
    ModelHarness printer;
    auto a = printer.model().open_session();
    auto b = printer.model().open_session();
    EXPECT_EQ(printer.ask(update(3, 1, 1536), a), kAck);
    printer.stream(ramp(1000), a);
    EXPECT_EQ(printer.ask(kStatus, b).at(0), 0x01);  // another connection still talks commands
    printer.stream(ramp(536), a);
    EXPECT_EQ(printer.ask(kStatus, a).at(0), 0x01);
    EXPECT_EQ(printer.model().state().tone_curves.size(), 1u);
    // A connection that goes away in the middle of its data loses it.
    EXPECT_EQ(printer.ask(update(3, 2, 1536), b), kAck);
    printer.stream(ramp(100), b);
    printer.model().close_session(b);
    EXPECT_EQ(printer.model().state().tone_curves.size(), 1u);
}

// Print Command: job 1, 2 copies, image 4 x 2 at (1, 1) in a 6 x 4 area, tag-30 setting 7.
const Bytes kPrintJob1 = {0x01, 0x40, 0x12, 0x00, 0x01, 0x02, 0x00, 0x04, 0x00, 0x02, 0x00,
                          0x06, 0x00, 0x04, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x07};

Bytes pixels_4x2() {
    Bytes pixels;
    for (uint8_t y = 0; y < 2; ++y)
        for (uint8_t x = 0; x < 4; ++x) pixels.insert(pixels.end(), {static_cast<uint8_t>(10 * x), static_cast<uint8_t>(20 * y), 200});
    return pixels;
}


// Set Laminate String Command: slot, values A and B (LE16), C, D, text length, 20 text bytes.
Bytes laminate_string(uint8_t slot, const std::string& text) {
    Bytes payload = {slot, 0x34, 0x12, 0x02, 0x00, 0x05, 0x06, static_cast<uint8_t>(text.size())};
    payload.insert(payload.end(), text.begin(), text.end());
    payload.resize(28, 0);
    return packet(0x08, 0x40, payload);
}

nlohmann::json read_json(const std::string& path) {
    std::ifstream in(path);
    return nlohmann::json::parse(in, nullptr, false);
}

TEST(PageData, PixelsAfterThePrintCommandComeOutAsPngPagesOnePerCopy) {
    TempFolder output;
    ModelHarness printer(1.0, output.path());
    EXPECT_EQ(printer.ask(laminate_string(3, "TARVO")), kAck);
    Bytes cuts(73, 0);
    cuts[0] = 2;
    cuts[1] = 0x00; cuts[2] = 0x04;  // 1024
    cuts[3] = 0x10; cuts[4] = 0x00;  // 16
    EXPECT_EQ(printer.ask(packet(0x09, 0x40, cuts)), kAck);
    EXPECT_EQ(printer.ask(kPrintJob1), kAck);
    // While the page data comes, another connection asks the status.
    auto other = printer.model().open_session();
    Bytes status = printer.ask(kStatus, other);
    // Job position 1: job 1, 2 copies, none printed, 0 % received, receiving.
    EXPECT_EQ(Bytes(status.begin() + 38, status.begin() + 46), (Bytes{0x01, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01}));
    EXPECT_EQ(status[74], 7);  // the tag-30 setting of the page
    printer.stream(pixels_4x2());
    // Settings made after the Print Command belong to the next page.
    EXPECT_EQ(printer.ask(laminate_string(3, "OTHER")), kAck);
    status = printer.ask(kStatus);
    EXPECT_EQ(Bytes(status.begin() + 38, status.begin() + 46), (Bytes{0x01, 0x02, 0x00, 0x00, 0x00, 0x64, 0x00, 0x12}));
    EXPECT_EQ(status[70], 45);  // the head warms up while printing

    printer.wait_ms(10000);
    std::string first = output.file("SN000001-000001-job001.png");
    ASSERT_TRUE(std::filesystem::exists(first));
    uint32_t width = 0, height = 0;
    Bytes page = read_png(first, width, height);
    ASSERT_EQ(width, 6u);
    ASSERT_EQ(height, 4u);
    auto pixel = [&](uint32_t x, uint32_t y) { return Bytes(page.begin() + (y * 6 + x) * 3, page.begin() + (y * 6 + x) * 3 + 3); };
    EXPECT_EQ(pixel(0, 0), (Bytes{255, 255, 255}));
    EXPECT_EQ(pixel(1, 1), (Bytes{0, 0, 200}));
    EXPECT_EQ(pixel(4, 2), (Bytes{30, 20, 200}));
    EXPECT_EQ(pixel(5, 3), (Bytes{255, 255, 255}));
    nlohmann::json expected = nlohmann::json::parse(R"({
        "serial": "SN000001", "print": 1, "job": 1, "copy": 1, "copies": 2,
        "image": {"width": 4, "height": 2, "offset_x": 1, "offset_y": 1},
        "print_area": {"width": 6, "height": 4}, "tag20": 0, "tag30": 7,
        "cut_list": {"count": 2, "cuts": [1024, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                           0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0]},
        "laminate_strings": [{"slot": 3, "value_a": 4660, "value_b": 2, "value_c": 5, "value_d": 6, "text": "TARVO"}]
    })");
    EXPECT_EQ(read_json(output.file("SN000001-000001-job001.json")), expected);

    printer.wait_ms(10000);
    EXPECT_TRUE(std::filesystem::exists(output.file("SN000001-000002-job001.png")));
    expected["print"] = 2;
    expected["copy"] = 2;
    EXPECT_EQ(read_json(output.file("SN000001-000002-job001.json")), expected);
    status = printer.ask(kStatus);
    EXPECT_EQ(status[45], 0);  // the position is free again
    EXPECT_EQ(Bytes(status.begin() + 18, status.begin() + 24), (Bytes{0x02, 0, 0, 0, 0xBA, 0x02}));  // 2 printed, 698 left
    EXPECT_EQ(printer.model().state().prints, 2u);
}

TEST(PageData, PrintCommandsWithArgumentsThePrinterCannotTakeAreRefused) {
    ModelHarness printer;
    auto print = [&](auto change) {
        Bytes command = kPrintJob1;
        change(command);
        return printer.ask(command);
    };
    EXPECT_EQ(print([](Bytes& c) { c[4] = 0; }), kRefused);                // job number 0
    EXPECT_EQ(print([](Bytes& c) { c[5] = 0; }), kRefused);                // no copies
    EXPECT_EQ(print([](Bytes& c) { c[7] = 0; }), kRefused);                // width 0
    EXPECT_EQ(print([](Bytes& c) { c[7] = 6; }), kRefused);                // 6 + offset 1 > area 6
    EXPECT_EQ(print([](Bytes& c) { c[17] = 3; }), kRefused);               // offset Y 3 + 2 > area 4
    EXPECT_EQ(print([](Bytes& c) { c[11] = 0xA2; c[12] = 0x09; }), kRefused);  // area wider than the media
    EXPECT_EQ(print([](Bytes& c) { c[20] = 1; }), kRefused);               // byte 16 must be 0
    EXPECT_EQ(print([](Bytes& c) { c.pop_back(); c[2] = 0x11; }), kRefused);  // 17 bytes
    printer.model().set_media(5000, 5000);
    EXPECT_EQ(print([](Bytes& c) { c[7] = 0x01; c[8] = 0x10; c[11] = 0x10; c[12] = 0x10; }), kRefused);  // width 4097
    EXPECT_EQ(printer.ask(kStatus)[45], 0);
    EXPECT_EQ(printer.ask(kPrintJob1), kAck);
    EXPECT_EQ(printer.send(pixels_4x2()).size(), 0u);
    EXPECT_EQ(printer.ask(kPrintJob1), kRefused);  // job 1 is in the printer already
}

TEST(PageData, PrinterTakesExactlyWidthTimesHeightTimesThreeBytes) {
    TempFolder output;
    ModelHarness printer(1.0, output.path());
    // 40 x 40 in a 40 x 40 area: 4800 bytes, in a piece of 4096 and one of 704.
    Bytes print = {0x01, 0x40, 0x12, 0x00, 0x05, 0x01, 0x00, 0x28, 0x00, 0x28, 0x00,
                   0x28, 0x00, 0x28, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00};
    EXPECT_EQ(printer.ask(print), kAck);
    printer.stream(Bytes(4800, 0x40));
    EXPECT_EQ(printer.ask(kStatus).at(45), 0x12);
    printer.wait_ms(10000);
    EXPECT_EQ(printer.model().state().prints, 1u);
    EXPECT_EQ(read_json(output.file("SN000001-000001-job005.json"))["tag20"], 2);

    // One byte more: the page is dropped and the next command refused.
    print[4] = 6;
    EXPECT_EQ(printer.ask(print), kAck);
    printer.stream(Bytes(4096, 0x40));
    EXPECT_TRUE(printer.send(Bytes(705, 0x40)).empty());
    EXPECT_EQ(printer.ask(kStatus), kRefused);
    EXPECT_EQ(printer.ask(kStatus).at(45), 0);
    EXPECT_EQ(printer.ask({0x07, 0x00, 0x01, 0x00, 0x06}), with(ready_header(9), {0x06, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF}));

    // One byte fewer: the page waits for its last byte, and after a minute without it is dropped.
    print[4] = 7;
    EXPECT_EQ(printer.ask(print), kAck);
    printer.stream(Bytes(4799, 0x40));
    printer.wait_ms(60001);
    EXPECT_EQ(printer.ask(kStatus), kRefused);
    EXPECT_EQ(printer.ask(kStatus).at(45), 0);
    printer.wait_ms(20000);
    EXPECT_EQ(printer.model().state().prints, 1u);
    EXPECT_FALSE(std::filesystem::exists(output.file("SN000001-000002-job006.png")));
    EXPECT_FALSE(std::filesystem::exists(output.file("SN000001-000002-job007.png")));
}

TEST(PageData, PageCutShortByItsConnectionIsDropped) {
    ModelHarness printer;
    auto session = printer.model().open_session();
    EXPECT_EQ(printer.ask(kPrintJob1, session), kAck);
    printer.stream(Bytes(10, 0x80), session);
    printer.model().close_session(session);
    Bytes status = printer.ask(kStatus);
    EXPECT_EQ(status[45], 0);
    // Get Printer ID Status: job 1 was cancelled.
    EXPECT_EQ(printer.ask({0x07, 0x00, 0x01, 0x00, 0x01}), with(ready_header(9), {0x01, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF}));
}

}  // namespace
