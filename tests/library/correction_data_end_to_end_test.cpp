// Tone curves and the laminate pattern through the exports against a virtual
// printer: what goes down comes back, and resets bring the factory data back.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <vector>

#include "library_session.h"
#include "printer_farm.h"

namespace {

using tz::test::OpenLibrary;
using tz::test::PrinterFarm;
using Bytes = std::vector<uint8_t>;
using Values = std::vector<uint16_t>;

class CorrectionDataEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        printer_ = &farm_.add("SN000001");
        library_ = std::make_unique<OpenLibrary>();
        ASSERT_TRUE(library_->ok()) << library_->code();
    }
    void TearDown() override { library_.reset(); }
    Values read_curve(int type, int kind, uint16_t& code) {
        Values values(768, 0xABCD);
        code = 0xFFFF;
        if (tzpusb_getPrinterToneCurve(type, kind, values.data(), &code) != 1) return {};
        return values;
    }

    PrinterFarm farm_;
    tz::emulator::VirtualPrinter* printer_ = nullptr;
    std::unique_ptr<OpenLibrary> library_;
};

TEST_F(CorrectionDataEndToEnd, ToneCurveComesBackAsSentUntilReset) {
    uint16_t code = 0xFFFF;
    // The factory curve: 0 .. 65535 in steps of 257, once per channel.
    Values factory = read_curve(1, 3, code);
    ASSERT_EQ(factory.size(), 768u) << code;
    EXPECT_EQ(code, 0);
    EXPECT_EQ((Values{factory[0], factory[1], factory[255], factory[256], factory[767]}),
              (Values{0, 257, 65535, 0, 65535}));

    // Down in the printer's byte order (most significant first), back in host order.
    Bytes curve(1536);
    for (size_t i = 0; i < 768; ++i) {
        const auto value = static_cast<uint16_t>(65535 - i * 81);
        curve[2 * i] = static_cast<uint8_t>(value >> 8);
        curve[2 * i + 1] = static_cast<uint8_t>(value);
    }
    ASSERT_EQ(tzpusb_setPrinterToneCurve(1, 3, curve.data(), &code), 1) << code;
    EXPECT_EQ(code, 0);
    Values back = read_curve(1, 3, code);
    ASSERT_EQ(back.size(), 768u) << code;
    EXPECT_EQ((Values{back[0], back[1], back[767]}), (Values{0xFFFF, 0xFFAE, 0x0D50}));
    for (size_t i = 0; i < 768; ++i) ASSERT_EQ(back[i], 65535 - i * 81) << i;
    EXPECT_EQ(read_curve(2, 3, code), factory);  // the other type of the kind is untouched
    EXPECT_EQ(printer_->model().state().tone_curves.count({1, 3}), 1u);

    EXPECT_EQ(tzpusb_setPrinterToneCurve(0, 3, nullptr, &code), 1);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(read_curve(1, 3, code), factory);
    EXPECT_TRUE(printer_->model().state().tone_curves.empty());
}

TEST_F(CorrectionDataEndToEnd, LaminatePatternIsTakenWholeAndReset) {
    Bytes pattern(9166080);
    for (size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<uint8_t>(i % 251);
    uint16_t code = 0xFFFF;
    ASSERT_EQ(tzpusb_setLaminatePattern(0, pattern.data(), &code), 1) << code;
    EXPECT_EQ(code, 0);
    // The printer has checked the count and kept the pattern; it still answers commands.
    EXPECT_EQ(tz::test::status_code(), 0);
    auto laminate = printer_->model().state().laminate;
    EXPECT_TRUE(laminate.custom);
    EXPECT_EQ(laminate.size, 9166080u);
    EXPECT_EQ(laminate.crc32, 0x23EA44E5u);

    EXPECT_EQ(tzpusb_setLaminatePattern(2, nullptr, &code), 1);
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(printer_->model().state().laminate.custom);
}

}  // namespace
