// Printer information through the exports against a virtual printer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library_session.h"
#include "printer_farm.h"

namespace {

using tz::test::control;
using tz::test::OpenLibrary;
using tz::test::PrinterFarm;
using Bytes = std::vector<uint8_t>;

class PrinterInfoEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        printer_ = &farm_.add("SN000001");
        library_ = std::make_unique<OpenLibrary>();
        ASSERT_TRUE(library_->ok()) << library_->code();
    }
    void TearDown() override { library_.reset(); }
    std::string say(const std::string& command) { return control(*printer_, command); }
    Bytes read(int tag) {
        Bytes out(300);
        uint32_t size = static_cast<uint32_t>(out.size());
        if (tzpusb_getPrinterInfo(tag, out.data(), &size) != 1) return {};
        out.resize(size);
        return out;
    }
    std::string text(int tag) {
        Bytes bytes = read(tag);
        return std::string(bytes.begin(), bytes.end());
    }
    uint16_t write(int tag, const Bytes& data) {
        uint32_t size = static_cast<uint32_t>(data.size());
        uint16_t code = 0xFFFF;
        tzpusb_setPrinterInfo(tag, data.data(), &size, &code);
        return code;
    }

    PrinterFarm farm_;
    tz::emulator::VirtualPrinter* printer_ = nullptr;
    std::unique_ptr<OpenLibrary> library_;
};

TEST_F(PrinterInfoEndToEnd, FirmwareMediaErrorLogStatusAndButton) {
    Bytes firmware = read(3);
    ASSERT_EQ(firmware.size(), 267u);
    EXPECT_EQ(firmware[0], 7);
    EXPECT_EQ(std::string(firmware.begin() + 1, firmware.begin() + 9), "E0229800");    // MAIN boot
    EXPECT_EQ(std::string(firmware.begin() + 39, firmware.begin() + 47), "E0230101");  // MAIN
    EXPECT_EQ(read(0), (Bytes{0x01, 0, 0, 0x01, 0xA0, 0x09, 0x88, 0x0E, 0xBC, 0x02, 0, 0, 0}));
    EXPECT_EQ(read(50).size(), 61u);
    EXPECT_EQ(read(7), (Bytes{0, 0}));
    ASSERT_EQ(say("cover-open"), "ok");
    EXPECT_EQ(read(7), (Bytes{6, 1}));
    EXPECT_EQ(write(301, {1, 0}), 0);  // the operation button, as the status shows it
    EXPECT_EQ(read(4).at(18), 1);
}

TEST_F(PrinterInfoEndToEnd, PrintAreaFollowsTheLoadedMedia) {
    const Bytes area = {0, 0xA0, 0x09, 0x88, 0x0E, 0, 0, 0, 0, 0};  // 2464 x 3720
    EXPECT_EQ(write(0, area), 0);
    ASSERT_EQ(say("media 1800 2400"), "ok");
    EXPECT_EQ(write(0, area), 2301);
    EXPECT_FALSE(tz::test::my_job().print_area_set);
}

TEST_F(PrinterInfoEndToEnd, SerialWriteReachesTheIdStringAfterAReplug) {
    EXPECT_EQ(text(26), "SN000001");
    EXPECT_EQ(write(26, {'S', 'N', '0', '0', '0', '0', '4', '2'}), 0);
    EXPECT_EQ(text(999), "SN000042");
    EXPECT_EQ(text(26), "SN000001");  // as recorded when the printer was found
    ASSERT_EQ(say("unplug"), "ok");
    ASSERT_EQ(say("replug"), "ok");
    ASSERT_TRUE(tz::test::eventually([] { return tz::test::list_count() == 1 && tz::test::select_serial("SN000042") == TZP_OK; }));
    EXPECT_EQ(text(26), "SN000042");
}

}  // namespace
