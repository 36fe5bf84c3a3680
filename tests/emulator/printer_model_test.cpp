// The virtual printer's answers, on bytes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "emulator/printer_model.h"

namespace {

using tz::emulator::Bytes;
using tz::emulator::Identity;
using tz::emulator::PrinterModel;
using tz::emulator::PrinterState;

PrinterModel make_model(const std::string& serial = "SN000001") {
    PrinterState state;
    state.serial = serial;
    return PrinterModel(Identity{}, state, "", 1.0);
}

std::vector<Bytes> send(PrinterModel& model, const Bytes& packet) {
    return model.on_transfer(packet.data(), packet.size());
}

TEST(PrinterModel, IdleStatusAnswerIsANormalFrameWithFreeJobPositions) {
    PrinterModel model = make_model();
    auto answers = send(model, {0x01, 0x00, 0x00, 0x00});
    ASSERT_EQ(answers.size(), 1u);
    Bytes expected = {0x01, 0, 0, 0, 0, 0, 0, 0x00, 0x41, 0x00};
    expected.resize(75, 0);  // 65 payload bytes, both job records empty
    EXPECT_EQ(answers[0], expected);
}

TEST(PrinterModel, MalformedPacketsGetErrorAnswers) {
    PrinterModel model = make_model();
    const Bytes bad_parameter = {0x02, 0x01, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(send(model, {0x01, 0x00}), std::vector<Bytes>{bad_parameter});              // short header
    EXPECT_EQ(send(model, {0x01, 0x00, 0x02, 0x00, 0x00}), std::vector<Bytes>{bad_parameter});  // length says 2, 1 came
    EXPECT_EQ(send(model, {0x01, 0x00, 0x01, 0x00, 0x07}), std::vector<Bytes>{bad_parameter});  // status takes no payload
    const Bytes unknown = {0x02, 0x02, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(send(model, {0x7E, 0x40, 0x00, 0x00}), std::vector<Bytes>{unknown});
}

TEST(PrinterModel, HangingPrinterDropsWhatItIsSent) {
    PrinterModel model = make_model();
    model.set_hanging(true);
    EXPECT_TRUE(send(model, {0x01, 0x00, 0x00, 0x00}).empty());
    model.set_hanging(false);
    EXPECT_EQ(send(model, {0x01, 0x00, 0x00, 0x00}).size(), 1u);
}

TEST(PrinterModel, HelloCarriesIdentityAndSerialAtItsPlaceInTheIdString) {
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
