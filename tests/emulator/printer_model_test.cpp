// The virtual printer's answers to each command family, on bytes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "emulator/printer_model.h"
#include "model_harness.h"

namespace {

using tz::emulator::Bytes;
using tz::emulator::Condition;
using tz::emulator::Identity;
using tz::emulator::PrinterModel;
using tz::emulator::PrinterState;
using tz::test::kAck;
using tz::test::kRefused;
using tz::test::ModelHarness;
using tz::test::packet;
using tz::test::ready_header;
using tz::test::with;

Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// Status payload of an idle printer with the factory media loaded.
Bytes idle_status_payload() {
    Bytes p(65, 0);
    p[4] = 0xA0; p[5] = 0x09;   // largest print width 2464
    p[6] = 0x88; p[7] = 0x0E;   // largest print height 3720
    p[12] = 0xBC; p[13] = 0x02; // 700 prints left
    p[16] = 1;                  // paper loaded
    p[17] = 1;                  // ribbon loaded
    p[60] = 25; p[61] = 23; p[62] = 40;
    return p;
}

TEST(PrinterModelStatus, IdleStatusIsANormalFrameOf65BytesWithBothJobPositionsFree) {
    ModelHarness printer;
    EXPECT_EQ(printer.ask({0x01, 0x00, 0x00, 0x00}), with(ready_header(65), idle_status_payload()));
}

TEST(PrinterModelStatus, MediaInformationCarriesLargestPrintSizeAtPayloadBytes4To7) {
    ModelHarness printer;
    EXPECT_EQ(printer.ask({0x02, 0x00, 0x00, 0x00}),
              with(ready_header(10), {0x01, 0x00, 0x00, 0x01, 0xA0, 0x09, 0x88, 0x0E, 0xBC, 0x02}));
    printer.model().set_media(1800, 2400);
    Bytes frame = printer.ask({0x02, 0x00, 0x00, 0x00});
    EXPECT_EQ(Bytes(frame.begin() + 14, frame.begin() + 18), (Bytes{0x08, 0x07, 0x60, 0x09}));
}

TEST(PrinterModelStatus, FirmwareInformationAnswersSevenEntriesOf38Bytes) {
    ModelHarness printer;
    Bytes main_entry = with(text("E0230101MAIN            2020/06/15"), {0x05, 0x10, 0xC2, 0x91});
    EXPECT_EQ(printer.ask({0x03, 0xC0, 0x01, 0x00, 0x02}), with(ready_header(38), main_entry));
    // Entry 1 is the MAIN board's boot firmware, whose name tells the board.
    Bytes boot = printer.ask({0x03, 0xC0, 0x01, 0x00, 0x01});
    EXPECT_EQ(std::string(boot.begin() + 10, boot.begin() + 18), "E0229800");
    for (uint8_t component = 1; component <= 7; ++component)
        EXPECT_EQ(printer.ask({0x03, 0xC0, 0x01, 0x00, component}).size(), 48u) << int(component);
    EXPECT_EQ(printer.ask({0x03, 0xC0, 0x01, 0x00, 0x00}), kRefused);
    EXPECT_EQ(printer.ask({0x03, 0xC0, 0x01, 0x00, 0x08}), kRefused);
    EXPECT_EQ(printer.ask({0x03, 0xC0, 0x00, 0x00}), kRefused);  // the component byte is missing
}

TEST(PrinterModelStatus, SerialInquiryAndSerialWrite) {
    ModelHarness printer;
    EXPECT_EQ(printer.ask({0x06, 0x00, 0x00, 0x00}), with(ready_header(8), text("SN000001")));
    EXPECT_EQ(printer.ask(with({0x09, 0xC0, 0x08, 0x00}, text("NEW-SN_9"))), kAck);
    EXPECT_EQ(printer.ask({0x06, 0x00, 0x00, 0x00}), with(ready_header(8), text("NEW-SN_9")));
    EXPECT_EQ(printer.model().serial(), "NEW-SN_9");
    // Only letters, digits, '-' and '_', exactly eight of them.
    EXPECT_EQ(printer.ask(with({0x09, 0xC0, 0x08, 0x00}, text("BAD SN 1"))), kRefused);
    EXPECT_EQ(printer.ask(with({0x09, 0xC0, 0x07, 0x00}, text("SHORT12"))), kRefused);
    EXPECT_EQ(printer.model().serial(), "NEW-SN_9");
}

TEST(PrinterModelStatus, ModelNameIsTheSpecial16BytePacketWithoutLengthField) {
    ModelHarness printer;
    Bytes request = {0x03, 0x00, 0x54, 0x5A, 0x50, 0x46, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(printer.ask(request), with(ready_header(16), with(text("TARVO 5170"), Bytes(6, 0))));
    Bytes wrong_magic = request;
    wrong_magic[5] = 0x47;
    EXPECT_EQ(printer.ask(wrong_magic), kRefused);
    EXPECT_EQ(printer.ask({0x03, 0x00, 0x00, 0x00}), kRefused);  // a plain packet is not the model name inquiry
}

TEST(PrinterModelDeviceActions, ButtonWakeUpAndLedAreAcknowledgedAndShowInTheStatus) {
    ModelHarness printer;
    EXPECT_EQ(printer.ask({0x06, 0x40, 0x01, 0x00, 0x01}), kAck);  // buttons locked
    EXPECT_EQ(printer.ask({0x0A, 0x40, 0x01, 0x00, 0x01}), kAck);  // stand-by
    EXPECT_EQ(printer.ask({0x03, 0x40, 0x00, 0x00}), kAck);        // flash the LED
    Bytes status = printer.ask({0x01, 0x00, 0x00, 0x00});
    EXPECT_EQ(status[10 + 18], 1);
    EXPECT_EQ(status[10 + 19], 1);
    EXPECT_EQ(status[10 + 20], 1);
    printer.wait_ms(3001);
    EXPECT_EQ(printer.ask({0x01, 0x00, 0x00, 0x00})[10 + 20], 0);  // the LED stops after three seconds

    EXPECT_EQ(printer.ask({0x06, 0x40, 0x01, 0x00, 0x02}), kRefused);
    EXPECT_EQ(printer.ask({0x0A, 0x40, 0x01, 0x00, 0x07}), kRefused);
    EXPECT_EQ(printer.ask({0x03, 0x40, 0x01, 0x00, 0x00}), kRefused);  // the LED command takes nothing
}

TEST(PrinterModelDeviceActions, ResetCommandTargets) {
    ModelHarness printer;
    EXPECT_EQ(printer.ask({0x04, 0x40, 0x02, 0x00, 0x10, 0x00}), kAck);  // factory laminate pattern
    EXPECT_EQ(printer.ask({0x04, 0x40, 0x02, 0x00, 0x04, 0x04}), kAck);  // tone curves of kind 4
    EXPECT_EQ(printer.ask({0x04, 0x40, 0x02, 0x00, 0x04, 0x05}), kRefused);
    EXPECT_EQ(printer.ask({0x04, 0x40, 0x02, 0x00, 0x03, 0x01}), kRefused);
    EXPECT_EQ(printer.ask({0x04, 0x40, 0x02, 0x00, 0x09, 0x00}), kRefused);
    EXPECT_EQ(printer.ask({0x04, 0x40, 0x02, 0x00, 0x03, 0x00}), kAck);  // restart
    EXPECT_EQ(printer.state_byte(), 0x31);
}

TEST(PrinterModelMaintenance, ParametersAreReadAsLittleEndian32BitValuesAndRangeChecked) {
    ModelHarness printer;
    EXPECT_EQ(printer.ask({0x05, 0x00, 0x01, 0x00, 0x11}), with(ready_header(4), {0xE8, 0x03, 0x00, 0x00}));
    // Density Low PAN (142) to -10.
    EXPECT_EQ(printer.ask({0x07, 0x40, 0x05, 0x00, 0x8E, 0xF6, 0xFF, 0xFF, 0xFF}), kAck);
    EXPECT_EQ(printer.ask({0x05, 0x00, 0x01, 0x00, 0x8E}), with(ready_header(4), {0xF6, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(printer.ask({0x07, 0x40, 0x05, 0x00, 0x11, 0xE8, 0x03, 0x00, 0x00}), kAck);

    EXPECT_EQ(printer.ask({0x07, 0x40, 0x05, 0x00, 0x8E, 0x33, 0x00, 0x00, 0x00}), kRefused);  // 51 is out of range
    EXPECT_EQ(printer.ask({0x07, 0x40, 0x05, 0x00, 0x81, 0x80, 0x00, 0x00, 0x00}), kRefused);  // 128 for a signed byte
    EXPECT_EQ(printer.ask({0x07, 0x40, 0x05, 0x00, 0x41, 0x00, 0x00, 0x01, 0x00}), kRefused);  // 65536 for 16 bits
    EXPECT_EQ(printer.ask({0x05, 0x00, 0x01, 0x00, 0x00}), kRefused);                          // no parameter 0
    EXPECT_EQ(printer.ask({0x07, 0x40, 0x04, 0x00, 0x11, 0xE8, 0x03, 0x00}), kRefused);        // short payload
    // Refused values changed nothing.
    EXPECT_EQ(printer.ask({0x05, 0x00, 0x01, 0x00, 0x8E}), with(ready_header(4), {0xF6, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(printer.model().state().parameters.at(0x8E), -10);
}

TEST(PrinterModelMaintenance, ErrorLogListsPrinterErrorsNewestFirstUntilReset) {
    ModelHarness printer;
    EXPECT_EQ(printer.ask({0x04, 0x00, 0x00, 0x00}), with(ready_header(61), Bytes(61, 0)));
    printer.model().set_condition(Condition::CoverOpen);
    printer.model().clear_condition();
    printer.model().set_condition(Condition::NoPaper);
    Bytes log(61, 0);
    log[0] = 2;
    log[1] = 6; log[2] = 6;  // newest: no paper
    log[7] = 6; log[8] = 1;  // cover open
    EXPECT_EQ(printer.ask({0x04, 0x00, 0x00, 0x00}), with(Bytes{0x01, 0, 0x06, 0x06, 0, 0, 0, 0x11, 61, 0}, log));
    EXPECT_EQ(printer.ask({0x08, 0xC0, 0x00, 0x00}), with(Bytes{0x01, 0, 0x06, 0x06, 0, 0, 0, 0x11, 0, 0}, {}));
    EXPECT_EQ(printer.ask({0x04, 0x00, 0x00, 0x00}).at(10), 0);
}

TEST(PrinterModelMaintenance, SelfDiagnosisRunsThenReportsItsResults) {
    ModelHarness printer;
    EXPECT_EQ(printer.ask({0x01, 0xC0, 0x03, 0x00, 0x02, 0x05, 0x06}), with(ready_header(4), {0x02, 0x05, 0x06, 0x00}));
    EXPECT_EQ(printer.state_byte(), 0x36);
    // Results cannot be had while a diagnosis runs; nor can another one start.
    EXPECT_EQ(printer.ask({0x02, 0xC0, 0x00, 0x00}), (Bytes{0x02, 0x36, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(printer.ask({0x01, 0xC0, 0x03, 0x00, 0x03, 0x00, 0x00}), (Bytes{0x02, 0x36, 0, 0, 0, 0, 0, 0, 0, 0}));
    printer.wait_ms(5000);
    Bytes results(41, 0);
    results[0] = 40;
    results[2] = 1;  // mode 2 passed
    EXPECT_EQ(printer.ask({0x02, 0xC0, 0x00, 0x00}), with(ready_header(41), results));

    EXPECT_EQ(printer.ask({0x01, 0xC0, 0x03, 0x00, 0x01, 0x00, 0x00}), with(ready_header(4), {0x01, 0, 0, 0}));
    printer.wait_ms(20000);
    EXPECT_EQ(printer.ask({0x02, 0xC0, 0x00, 0x00}), with(ready_header(41), with({40}, Bytes(40, 1))));
    EXPECT_EQ(printer.ask({0x01, 0xC0, 0x03, 0x00, 0x00, 0x00, 0x00}), kRefused);
    EXPECT_EQ(printer.ask({0x01, 0xC0, 0x03, 0x00, 41, 0x00, 0x00}), kRefused);
}

TEST(PrinterModelMaintenance, UniversalCommandAnswersWithAPayload) {
    ModelHarness printer;
    Bytes payload(250);
    for (size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<uint8_t>(i);
    EXPECT_EQ(printer.ask(with({0xFF, 0xC0, 0xFA, 0x00}, payload)), with(ready_header(250), payload));
    EXPECT_EQ(printer.ask({0xFF, 0xC0, 0x01, 0x00, 0x01}), with(ready_header(11), text("TZP-K2207-5")));
    EXPECT_EQ(printer.ask({0xFF, 0xC0, 0x01, 0x00, 0x02}), with(ready_header(6), {0, 0, 0, 0, 0xBC, 0x02}));
    payload.push_back(0);
    EXPECT_EQ(printer.ask(with({0xFF, 0xC0, 0xFB, 0x00}, payload)), kRefused);
    EXPECT_EQ(printer.ask({0xFF, 0xC0, 0x00, 0x00}), kRefused);
    EXPECT_EQ(printer.ask({0xFF, 0xC0, 0x01, 0x00, 0x7F}), kRefused);
}

TEST(PrinterModelMaintenance, EepromWritesNeedTheMaintenancePermission) {
    ModelHarness printer;
    EXPECT_EQ(printer.ask({0x06, 0xC0, 0x04, 0x00, 0x10, 0x00, 0xAB, 0xCD}), kRefused);
    EXPECT_EQ(printer.ask({0x02, 0x80, 0x01, 0x00, 0x01}), kAck);
    EXPECT_EQ(printer.ask({0x06, 0xC0, 0x04, 0x00, 0x10, 0x00, 0xAB, 0xCD}), kAck);
    EXPECT_EQ(printer.ask({0x05, 0xC0, 0x03, 0x00, 0x0F, 0x00, 0x04}), with(ready_header(4), {0x00, 0xAB, 0xCD, 0x00}));
    EXPECT_EQ(printer.ask({0x05, 0xC0, 0x03, 0x00, 0xFF, 0x03, 0x02}), kRefused);  // past the end (1024 bytes)
    EXPECT_EQ(printer.ask({0x06, 0xC0, 0x03, 0x00, 0xFF, 0x03, 0x01}), kAck);       // the last byte
    EXPECT_EQ(printer.ask({0x06, 0xC0, 0x04, 0x00, 0xFF, 0x03, 0x01, 0x02}), kRefused);
    EXPECT_EQ(printer.ask({0x02, 0x80, 0x01, 0x00, 0x00}), kAck);
    EXPECT_EQ(printer.ask({0x06, 0xC0, 0x03, 0x00, 0x00, 0x00, 0x01}), kRefused);
    EXPECT_EQ(printer.ask({0x02, 0x80, 0x01, 0x00, 0x02}), kRefused);
}

TEST(PrinterModelPrintSettings, LaminateStringsAndCutListsAreCheckedAndAcknowledged) {
    ModelHarness printer;
    Bytes slot = {0x01, 0x34, 0x12, 0x78, 0x56, 0x01, 0x02, 0x05};
    Bytes slot_text = text("HELLO");
    slot_text.resize(20, 0);
    EXPECT_EQ(printer.ask(packet(0x08, 0x40, with(slot, slot_text))), kAck);
    Bytes unset(28, 0);  // a slot the host never filled
    EXPECT_EQ(printer.ask(packet(0x08, 0x40, unset)), kAck);
    Bytes slot13 = with(slot, slot_text);
    slot13[0] = 13;
    EXPECT_EQ(printer.ask(packet(0x08, 0x40, slot13)), kRefused);
    Bytes long_text = with(slot, slot_text);
    long_text[7] = 21;
    EXPECT_EQ(printer.ask(packet(0x08, 0x40, long_text)), kRefused);
    EXPECT_EQ(printer.ask(packet(0x08, 0x40, Bytes(27, 1))), kRefused);

    Bytes cuts(73, 0);
    cuts[0] = 0xFF;  // no cuts
    EXPECT_EQ(printer.ask(packet(0x09, 0x40, cuts)), kAck);
    cuts[0] = 2;
    cuts[1] = 0x00; cuts[2] = 0x04;
    EXPECT_EQ(printer.ask(packet(0x09, 0x40, cuts)), kAck);
    cuts[0] = 0;
    EXPECT_EQ(printer.ask(packet(0x09, 0x40, cuts)), kRefused);
    cuts[0] = 37;
    EXPECT_EQ(printer.ask(packet(0x09, 0x40, cuts)), kRefused);
}

TEST(PrinterModelPackets, MalformedAndUnknownPacketsGetErrorAnswersAndChangeNothing) {
    ModelHarness printer;
    EXPECT_EQ(printer.ask({0x01, 0x00}), kRefused);                          // short header
    EXPECT_EQ(printer.ask({0x01, 0x00, 0x02, 0x00, 0x00}), kRefused);        // length says 2, 1 came
    EXPECT_EQ(printer.ask({0x01, 0x00, 0x01, 0x00, 0x07}), kRefused);        // status takes no payload
    EXPECT_EQ(printer.ask({0x07, 0x40, 0x05, 0x00, 0x8E, 0xF6, 0xFF, 0xFF}), kRefused);
    const Bytes unknown = {0x02, 0x02, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(printer.ask({0x7E, 0x40, 0x00, 0x00}), unknown);
    EXPECT_EQ(printer.ask({0x01, 0x41, 0x00, 0x00}), unknown);
    EXPECT_EQ(printer.model().state().parameters.at(0x8E), -10);  // its factory value
    EXPECT_EQ(printer.ask({0x01, 0x00, 0x00, 0x00}), with(ready_header(65), idle_status_payload()));
}

TEST(PrinterModelPackets, EveryCommandOfTheTableHasAnAnswer) {
    // Each (opcode, class) pair of the command table, with a payload of the
    // right size: none of them may be "unknown command".
    const std::vector<Bytes> commands = {
        packet(0x01, 0x40, Bytes(18, 0)), packet(0x02, 0x40, {1}),     packet(0x03, 0x40),
        packet(0x04, 0x40, {0x10, 0}),    packet(0x05, 0x40, {1, 1}),  packet(0x06, 0x40, {0}),
        packet(0x07, 0x40, {0x11, 0, 0, 0, 0}), packet(0x01, 0x00),   packet(0x02, 0x00),
        {0x03, 0x00, 0x54, 0x5A, 0x50, 0x46, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
        packet(0x04, 0x00),               packet(0x05, 0x00, {0x11}),  packet(0x06, 0x00),
        packet(0x01, 0xC0, {2, 0, 0}),    packet(0x02, 0xC0),          packet(0x03, 0xC0, {1}),
        packet(0x04, 0xC0, {0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0}),         packet(0x05, 0xC0, {0, 0, 1}),
        packet(0x06, 0xC0, {0, 0, 1}),    packet(0x08, 0xC0),          packet(0x09, 0xC0, text("SN000001")),
        packet(0x01, 0x80, {1, 0x00, 0x40, 0x00, 0xC0}),               packet(0x02, 0x80, {1}),
        packet(0xFF, 0xC0, {0}),          packet(0x08, 0x40, Bytes(28, 0)), packet(0x07, 0x00, {1}),
        packet(0x09, 0x40, with({0xFF}, Bytes(72, 0))),                packet(0x0A, 0x40, {0}),
    };
    ASSERT_EQ(commands.size(), 28u);
    for (const Bytes& command : commands) {
        ModelHarness printer;
        std::vector<Bytes> answers = printer.send(command);
        ASSERT_FALSE(answers.empty()) << int(command[0]) << "/" << int(command[1]);
        EXPECT_FALSE(answers[0][0] == 0x02 && answers[0][1] == 0x02) << int(command[0]) << "/" << int(command[1]);
    }
}

TEST(PrinterModelPackets, HangingPrinterDropsWhatItIsSent) {
    ModelHarness printer;
    printer.model().set_hanging(true);
    EXPECT_TRUE(printer.send({0x01, 0x00, 0x00, 0x00}).empty());
    printer.model().set_hanging(false);
    EXPECT_EQ(printer.send({0x01, 0x00, 0x00, 0x00}).size(), 1u);
}

TEST(PrinterModelPackets, HelloCarriesIdentityAndSerialAtItsPlaceInTheIdString) {
    PrinterState state;
    state.serial = "AB12CD34";
    PrinterModel model(Identity{0x1234, 0x5678}, state, "", 1.0);
    auto hello = model.hello();
    EXPECT_EQ(hello.vendor_id, 0x1234);
    EXPECT_EQ(hello.product_id, 0x5678);
    EXPECT_EQ(std::string(hello.id_string.begin() + 110, hello.id_string.begin() + 118), "AB12CD34");
    EXPECT_EQ(std::string(hello.serial.begin(), hello.serial.end()), "AB12CD34");
}

}  // namespace
