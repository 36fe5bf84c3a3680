// Parameters, diagnosis, the error log, raw commands and the laminate update
// through the exports, against a virtual printer.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "library_session.h"
#include "printer_farm.h"

namespace {

using tz::test::control;
using tz::test::eventually;
using tz::test::OpenLibrary;
using tz::test::PrinterFarm;

int32_t parameter(int number, uint16_t& code) {
    int32_t value = 0x55555555;
    tzpusb_getParameter(number, &value, &code);
    return value;
}

class MaintenanceEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        tz::emulator::PrinterOptions options;
        options.serial = "SN000007";
        options.time_scale = 0.01;  // a diagnosis takes 50 ms
        printer_ = &farm_.add(options);
        library_ = std::make_unique<OpenLibrary>();
        ASSERT_TRUE(library_->ok()) << library_->code();
    }
    void TearDown() override { library_.reset(); }

    // Entries of the printer's error log, read with a caller-built Get Error Log Command.
    int error_log_entries() {
        const uint8_t command[] = {0x04, 0x00, 0x00, 0x00};
        std::array<uint8_t, 512> answer{};
        uint32_t length = 0;
        uint16_t code = 0xFFFF;
        if (tzpusb_SendCommand(command, sizeof command, answer.data(), &length, &code) != 1 || length != 71) return -1;
        return answer[10];
    }

    PrinterFarm farm_;
    tz::emulator::VirtualPrinter* printer_ = nullptr;
    std::unique_ptr<OpenLibrary> library_;
};

TEST_F(MaintenanceEndToEnd, DensityParametersStartAtTheirTargetsAndAreChecked) {
    uint16_t code = 0xFFFF;
    EXPECT_EQ(parameter(142, code), -10);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(parameter(143, code), 0);
    EXPECT_EQ(tzpusb_setParameter(143, -5, &code), 1);
    EXPECT_EQ(parameter(143, code), -5);
    EXPECT_EQ(tzpusb_setParameter(143, 51, &code), 0);  // out of its range
    EXPECT_EQ(code, 1006);
    EXPECT_EQ(parameter(143, code), -5);
    EXPECT_EQ(parameter(7, code), 0x55555555);  // no such parameter: buffer untouched
    EXPECT_EQ(code, 1006);
}

TEST_F(MaintenanceEndToEnd, DiagnosisRunsAndReportsItsResult) {
    uint16_t code = 0xFFFF;
    EXPECT_EQ(tzpusb_setDiagnostic(1, 9, 9, &code), 1);
    EXPECT_EQ(code, 0);
    std::array<uint8_t, 37> result{};
    uint32_t size = 100;
    ASSERT_TRUE(eventually([&] { return tzpusb_getDiagnostic(result.data(), &size, &code) == 1; }));
    EXPECT_EQ(size, 37u);
    for (uint8_t passed : result) EXPECT_EQ(passed, 1);
    EXPECT_EQ(tzpusb_setDiagnostic(41, 0, 0, &code), 0);  // no such mode
    EXPECT_EQ(code, 1006);
    // The diagnosis command hands back the printer's answer: mode, arguments, 0.
    std::array<uint8_t, 512> answer{};
    EXPECT_EQ(tzpusb_command_diagnostic(2, 5, 6, answer.data(), &code), 1);
    EXPECT_EQ((std::vector<uint8_t>(answer.begin(), answer.begin() + 4)), (std::vector<uint8_t>{2, 5, 6, 0}));
}

TEST_F(MaintenanceEndToEnd, ErrorsAreLoggedUntilTheLogIsReset) {
    EXPECT_EQ(error_log_entries(), 0);
    ASSERT_EQ(control(*printer_, "cover-open"), "ok");
    ASSERT_EQ(control(*printer_, "clear-error"), "ok");
    ASSERT_EQ(control(*printer_, "no-paper"), "ok");
    ASSERT_EQ(control(*printer_, "clear-error"), "ok");
    EXPECT_EQ(error_log_entries(), 2);
    uint16_t code = 0xFFFF;
    EXPECT_EQ(tzpusb_resetErrHistory(&code), 1);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(error_log_entries(), 0);
}

TEST_F(MaintenanceEndToEnd, LaminateFileIsTakenWhenItsSizeIsRight) {
    const std::string good = farm_.folder().path() + "/pattern.bin", bad = farm_.folder().path() + "/short.bin";
    {
        std::vector<char> content(9166080, 0x5A);
        std::ofstream(good, std::ios::binary).write(content.data(), static_cast<std::streamsize>(content.size()));
        std::ofstream(bad, std::ios::binary).write(content.data(), 1000);
    }
    uint16_t code = 0xFFFF;
    EXPECT_EQ(tzpusb_update_laminate(16, bad.c_str(), &code), 0);
    EXPECT_EQ(code, 2600);  // refused, and folded
    EXPECT_FALSE(printer_->model().state().laminate.custom);
    EXPECT_EQ(tzpusb_update_laminate(16, good.c_str(), &code), 1);
    EXPECT_EQ(code, 0);
    ASSERT_TRUE(eventually([&] { return printer_->model().state().laminate.custom; }));
    EXPECT_EQ(printer_->model().state().laminate.size, 9166080u);
    EXPECT_EQ(tzpusb_status(&code), 1);  // the printer took every byte and goes on
}

}  // namespace
