// Printer information through the exports, byte for byte against a scripted
// printer behind the test USB library.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "fake_usbctrl/fake_usb.h"
#include "library_session.h"
#include "one_scripted_printer.h"

namespace {

using tz::test::answer_with;
using tz::test::Bytes;
using tz::test::error_answer;
using tz::test::kGetStatus;
using tz::test::my_context;
using tz::test::my_job;
using tz::test::normal_answer;

Bytes firmware_payload(int index) {
    Bytes payload(38, ' ');
    std::memcpy(payload.data(), "E023010", 7);
    payload[7] = static_cast<uint8_t>('0' + index);
    return payload;
}

Bytes firmware_inquiry(int index) { return {0x03, 0xC0, 0x01, 0x00, static_cast<uint8_t>(index)}; }

const Bytes kMedia = answer_with({0x01, 0, 0, 0x01, 0xA0, 0x09, 0x88, 0x0E, 0xBC, 0x02});  // 2464 x 3720

class PrinterInfo : public tz::test::OneScriptedPrinter {
protected:
    // Reads a tag into a 300-byte buffer after a ready status.
    int read(int tag, Bytes& out, uint32_t capacity = 300) {
        out.assign(300, 0xEE);
        uint32_t size = capacity;
        int returned = tzpusb_getPrinterInfo(tag, out.data(), &size);
        out.resize(size);
        return returned;
    }
    int write(int tag, const Bytes& data, uint16_t& code) {
        uint32_t size = static_cast<uint32_t>(data.size());
        code = 0xFFFF;
        return tzpusb_setPrinterInfo(tag, data.data(), &size, &code);
    }
};

TEST_F(PrinterInfo, NullBufferGivesTheSizeAfterTheStatusCheck) {
    const std::vector<std::pair<int, uint32_t>> sizes = {{0, 13}, {2, 54}, {3, 267}, {4, 28}, {7, 2}, {16, 18},
        {26, 8}, {30, 1}, {50, 61}, {60, 6}, {200, 4}, {217, 4}, {999, 8}};
    for (auto [tag, expected] : sizes) {
        script_->answer(normal_answer());
        uint32_t size = 0;
        EXPECT_EQ(tzpusb_getPrinterInfo(tag, nullptr, &size), 1) << tag;
        EXPECT_EQ(size, expected) << tag;
    }
    EXPECT_EQ(script_->received(), std::vector<Bytes>(sizes.size(), kGetStatus));
    // An unreachable printer fails every tag, size queries included.
    script_->answer(error_answer(0x03));
    uint32_t size = 99;
    EXPECT_EQ(tzpusb_getPrinterInfo(2, nullptr, &size), 0);
    EXPECT_EQ(size, 0u);
}

TEST_F(PrinterInfo, NoPrinterOrNoContext) {
    my_context().selection.clear();
    uint32_t size = 1234;
    EXPECT_EQ(tzpusb_getPrinterInfo(2, nullptr, &size), 0);
    EXPECT_EQ(size, 1234u);
    uint16_t code;
    EXPECT_EQ(write(20, {5, 0}, code), 0);
    EXPECT_EQ(code, 2000);
    tz::test::on_other_thread([&] {
        EXPECT_EQ(tzpusb_getPrinterInfo(2, nullptr, &size), 0);
        EXPECT_EQ(write(20, {5, 0}, code), 0);
        EXPECT_EQ(code, 1501);
    });
    EXPECT_EQ(size, 1234u);
    EXPECT_TRUE(script_->received().empty());
}

TEST_F(PrinterInfo, RefusedTags) {
    for (int tag : {1, 5, 100, 218, 998, 1000}) {
        script_->answer(normal_answer());
        Bytes out;
        EXPECT_EQ(read(tag, out), 0) << tag;
        EXPECT_TRUE(out.empty()) << tag;
    }
    EXPECT_EQ(script_->received(), std::vector<Bytes>(6, kGetStatus));
}

TEST_F(PrinterInfo, FirmwareCutToTheCapacity) {
    script_->answer(normal_answer());
    script_->answer(normal_answer());
    for (int i = 1; i <= 7; ++i) script_->answer(answer_with(firmware_payload(i)));
    Bytes out;
    EXPECT_EQ(read(3, out, 5), 1);
    EXPECT_EQ(out, (Bytes{7, 'E', '0', '2', '3'}));
    std::vector<Bytes> expected = {kGetStatus, kGetStatus};
    for (int i = 1; i <= 7; ++i) expected.push_back(firmware_inquiry(i));
    EXPECT_EQ(script_->received(), expected);
}

TEST_F(PrinterInfo, FirmwareFailsAsAWhole) {
    script_->answer(normal_answer());
    script_->answer(normal_answer());
    for (int i = 1; i <= 4; ++i) script_->answer(answer_with(firmware_payload(i)));
    script_->answer(error_answer(0x02));
    Bytes out;
    EXPECT_EQ(read(3, out), 0);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(script_->received().size(), 7u);
    // While the operation panel is in use nothing is asked.
    script_->answer(error_answer(0x35));
    script_->answer(error_answer(0x35));
    EXPECT_EQ(read(3, out), 0);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(script_->received().size(), 9u);
}

TEST_F(PrinterInfo, ErrorCodeOnlyInTheErrorState) {
    Bytes frame = normal_answer(0x63);
    frame[2] = 6;
    frame[3] = 1;
    for (int i = 0; i < 2; ++i) script_->answer(frame);
    Bytes out;
    EXPECT_EQ(read(7, out), 1);  // not state 0x11: zeros
    EXPECT_EQ(out, (Bytes{0, 0}));
    frame[7] = 0x11;
    for (int i = 0; i < 2; ++i) script_->answer(frame);
    EXPECT_EQ(read(7, out), 1);
    EXPECT_EQ(out, (Bytes{6, 1}));
}

TEST_F(PrinterInfo, HeldValuesAndInquiries) {
    Bytes out;
    script_->answer(normal_answer());
    EXPECT_EQ(read(26, out), 1);
    EXPECT_EQ(std::string(out.begin(), out.end()), "PRINTER0");
    script_->answer(normal_answer());
    script_->answer(answer_with({'N', 'E', 'W', 'S', 'E', 'R', 'I', 'A', 'L'}));
    EXPECT_EQ(read(999, out), 1);
    EXPECT_EQ(std::string(out.begin(), out.end()), "NEWSERIA");
    script_->answer(normal_answer());
    script_->answer(answer_with({1, 2, 3, 4, 5}));
    EXPECT_EQ(read(201, out), 1);
    EXPECT_EQ(out, (Bytes{1, 2, 3, 4}));
    script_->answer(normal_answer());
    script_->answer(answer_with({1, 0, 0, 1, 0xA0, 0x09}));  // media answer cut short
    EXPECT_EQ(read(0, out), 1);
    EXPECT_EQ(out, (Bytes{1, 0, 0, 1, 0xA0, 0x09, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(script_->received(), (std::vector<Bytes>{kGetStatus, kGetStatus, {0x06, 0x00, 0x00, 0x00}, kGetStatus,
                                                       {0x05, 0x00, 0x01, 0x00, 0x41}, kGetStatus, {0x02, 0x00, 0x00, 0x00}}));
}

TEST_F(PrinterInfo, ParameterWritesUseTheTagWidths) {
    uint16_t code;
    for (int i = 0; i < 3; ++i) script_->answer(normal_answer(0, 0));
    EXPECT_EQ(write(201, {0xFF, 0xFF, 0x12, 0x34}, code), 1);
    EXPECT_EQ(write(204, {0xFF, 0x12, 0x34, 0x56}, code), 1);
    EXPECT_EQ(write(204, {0x7F, 0x12, 0x34, 0x56}, code), 1);
    EXPECT_EQ(code, 0);
    script_->answer(error_answer(0x01));
    EXPECT_EQ(write(210, {1, 2, 3, 4}, code), 0);
    EXPECT_EQ(code, 2601);  // passed on unchanged
    EXPECT_EQ(script_->received(), (std::vector<Bytes>{{0x07, 0x40, 0x05, 0x00, 0x41, 0xFF, 0xFF, 0x00, 0x00},
                                                       {0x07, 0x40, 0x05, 0x00, 0x81, 0xFF, 0xFF, 0xFF, 0xFF},
                                                       {0x07, 0x40, 0x05, 0x00, 0x81, 0x7F, 0x00, 0x00, 0x00},
                                                       {0x07, 0x40, 0x05, 0x00, 0xF1, 0x01, 0x02, 0x03, 0x04}}));
}

TEST_F(PrinterInfo, SerialButtonAndHeldSettings) {
    uint16_t code;
    const Bytes serial = {'A', 'B', 'C', 'D', '1', '2', '3', '4', '5'};
    EXPECT_EQ(write(26, Bytes(serial.begin(), serial.begin() + 7), code), 0);
    EXPECT_EQ(code, 1006);
    EXPECT_EQ(write(26, serial, code), 0);
    EXPECT_EQ(code, 1006);
    EXPECT_EQ(write(301, {2, 0}, code), 0);
    EXPECT_EQ(code, 1006);
    EXPECT_EQ(write(1, {0, 0}, code), 0);
    EXPECT_EQ(code, 1006);
    EXPECT_TRUE(script_->received().empty());
    EXPECT_EQ(write(20, {7, 1}, code), 1);
    EXPECT_EQ(write(30, {9, 0}, code), 1);
    EXPECT_EQ(write(91, {1, 0, 2, 0, 3, 4, 2, 'h', 'i'}, code), 1);
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(script_->received().empty());
    EXPECT_EQ(my_job().setting20, 0x107);
    EXPECT_EQ(my_job().setting30, 9);
    EXPECT_EQ(my_job().laminate_strings[11].slot, 12);
    EXPECT_EQ(my_job().laminate_strings[11].value_d, 4);
    script_->answer(normal_answer(0, 0));
    script_->answer(normal_answer(0, 0));
    EXPECT_EQ(write(26, Bytes(serial.begin(), serial.begin() + 8), code), 1);
    EXPECT_EQ(write(301, {1, 0}, code), 1);
    EXPECT_EQ(script_->received(), (std::vector<Bytes>{{0x09, 0xC0, 0x08, 0x00, 'A', 'B', 'C', 'D', '1', '2', '3', '4'},
                                                       {0x06, 0x40, 0x01, 0x00, 0x01}}));
}

TEST_F(PrinterInfo, PrintAreaAgainstTheMedia) {
    auto area = [](uint16_t width, uint16_t height) {
        return Bytes{0, static_cast<uint8_t>(width), static_cast<uint8_t>(width >> 8), static_cast<uint8_t>(height),
                     static_cast<uint8_t>(height >> 8), 0, 0, 0, 0, 0};
    };
    uint16_t code;
    script_->answer(normal_answer());
    script_->answer(kMedia);
    EXPECT_EQ(write(0, area(2464, 3720), code), 1);
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(my_job().print_area_set);
    EXPECT_EQ(my_job().area_width, 2464);
    EXPECT_EQ(my_job().area_height, 3720);
    for (Bytes record : {area(1201, 1800), area(2466, 1800), area(1200, 3722)}) {
        script_->answer(normal_answer());
        script_->answer(kMedia);
        EXPECT_EQ(write(0, record, code), 0);
        EXPECT_EQ(code, 2301);
    }
    script_->answer(normal_answer());
    script_->answer(error_answer(0x02));  // the media cannot be read
    EXPECT_EQ(write(0, area(1200, 1800), code), 0);
    EXPECT_EQ(code, 2301);
    EXPECT_EQ(script_->received().size(), 10u);
    // A short record is refused before anything is sent, and clears the flag.
    script_->answer(normal_answer());
    script_->answer(kMedia);
    EXPECT_EQ(write(0, area(1200, 1800), code), 1);
    Bytes short_record = area(1200, 1800);
    short_record.pop_back();
    EXPECT_EQ(write(0, short_record, code), 0);
    EXPECT_EQ(code, 1006);
    EXPECT_FALSE(my_job().print_area_set);
    EXPECT_EQ(script_->received().size(), 12u);
}

}  // namespace
