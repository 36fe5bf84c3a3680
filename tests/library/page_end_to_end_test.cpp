// Whole pages printed on a virtual printer through the exports, compared
// pixel for pixel with the PNG it wrote and with conversions worked out here.
#include <gtest/gtest.h>
#include <lcms2.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "library_session.h"
#include "png_file.h"
#include "printer_farm.h"

namespace {

using tz::test::eventually;
using tz::test::read_png;
using Bytes = std::vector<uint8_t>;

constexpr uint16_t kWidth = 40, kHeight = 30;

class PageEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        tz::emulator::PrinterOptions options;
        options.serial = "SN000001";
        options.time_scale = 0.001;
        options.output_folder = output_.path();
        farm_.add(options);
        library_ = std::make_unique<tz::test::OpenLibrary>();
        ASSERT_TRUE(library_->ok()) << library_->code();
        Bytes area = {0, kWidth, 0, kHeight, 0, 0, 0, 0, 0, 0};
        uint32_t size = static_cast<uint32_t>(area.size());
        uint16_t code = 0xFFFF;
        ASSERT_EQ(tzpusb_setPrinterInfo(0, area.data(), &size, &code), 1) << code;
        image_.resize(size_t{kWidth} * kHeight * 3);
        for (size_t i = 0; i < image_.size(); ++i) image_[i] = static_cast<uint8_t>(i * 13 + i / 120);
    }
    void TearDown() override { library_.reset(); }

    // Prints the image as one page and returns the PNG of the printer's
    // `print`-th print (1-based).
    Bytes print_page(int format, int print) {
        uint16_t code = 0xFFFF;
        EXPECT_EQ(tzpusb_imageformat(format, 3, 8, kWidth, kHeight, 0, 0, &code), 1) << code;
        uint16_t id = 0;
        EXPECT_TRUE(eventually([&] { return tzpusb_startpage(&id, &code) == 1; })) << code;
        uint32_t count = static_cast<uint32_t>(image_.size());
        EXPECT_EQ(tzpusb_write(image_.data(), &count, &code), 1) << code;
        tzpusb_endpage(&code);
        char mark[16];
        std::snprintf(mark, sizeof mark, "-%06d-", print);
        Bytes printed;
        uint32_t w = 0, h = 0;
        EXPECT_TRUE(eventually([&] {
            for (const auto& entry : std::filesystem::directory_iterator(output_.path()))
                if (entry.path().extension() == ".png" && entry.path().filename().string().find(mark) != std::string::npos)
                    printed = read_png(entry.path().string(), w, h);
            return !printed.empty();
        }));
        EXPECT_EQ(w, kWidth);
        EXPECT_EQ(h, kHeight);
        return printed;
    }

    tz::test::PrinterFarm farm_;
    tz::test::TempFolder output_;
    std::unique_ptr<tz::test::OpenLibrary> library_;
    Bytes image_;
};

// Pages in the printer's order (format 3) and with the outer channels
// exchanged (format 4) come out as sent.
TEST_F(PageEndToEnd, PlainPagesArePrintedAsSent) {
    EXPECT_TRUE(print_page(3, 1) == image_);
    Bytes swapped = image_;
    for (size_t p = 0; p < swapped.size(); p += 3) std::swap(swapped[p], swapped[p + 2]);
    EXPECT_TRUE(print_page(4, 2) == swapped);
}

// A five-term sharpening kernel, then output tables, each against the same
// arithmetic written out here: white beyond every edge, sum / 100 truncated
// toward zero, limited to 0..255.
TEST_F(PageEndToEnd, SharpenedAndTablePagesMatchTheirArithmetic) {
    const std::array<int32_t, 9> kernel = {0, -10, 0, -10, 140, -10, 0, -10, 0};
    tzpusb_setmtf(kernel.data());
    auto at = [&](int x, int y, int c) -> int {
        if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) return 255;
        return image_[(size_t{static_cast<size_t>(y)} * kWidth + x) * 3 + c];
    };
    Bytes sharpened(image_.size());
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            for (int c = 0; c < 3; ++c) {
                const int sum = -10 * at(x, y - 1, c) - 10 * at(x - 1, y, c) + 140 * at(x, y, c) -
                                10 * at(x + 1, y, c) - 10 * at(x, y + 1, c);
                sharpened[(size_t{static_cast<size_t>(y)} * kWidth + x) * 3 + c] =
                    static_cast<uint8_t>(std::clamp(sum / 100, 0, 255));
            }
    EXPECT_TRUE(print_page(3, 1) == sharpened);

    tzpusb_setmtf(nullptr);
    auto& output = tz::test::my_print().tables.output;
    for (int i = 0; i < 256; ++i) {
        output.t[0][i] = static_cast<uint8_t>(255 - i);
        output.t[1][i] = static_cast<uint8_t>(i / 2);
    }
    Bytes looked_up = image_;
    for (size_t p = 0; p < looked_up.size(); p += 3) {
        looked_up[p] = static_cast<uint8_t>(255 - image_[p]);
        looked_up[p + 1] = static_cast<uint8_t>(image_[p + 1] / 2);
    }
    EXPECT_TRUE(print_page(3, 2) == looked_up);
}

// A colour-matched page with output tables, against LittleCMS called here on
// the same profiles with the same intent, the tables applied after it.
TEST_F(PageEndToEnd, ColorMatchedPagesMatchLittleCmsThenTheOutputTables) {
    const std::string source = output_.path() + "/srgb.icc", destination = output_.path() + "/wide.icc";
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    const cmsCIExyY white = {0.3457, 0.3585, 1.0};
    const cmsCIExyYTRIPLE primaries = {{0.7347, 0.2653, 1.0}, {0.1152, 0.8264, 1.0}, {0.1566, 0.0177, 1.0}};
    cmsToneCurve* gamma = cmsBuildGamma(nullptr, 1.8);
    cmsToneCurve* curves[3] = {gamma, gamma, gamma};
    cmsHPROFILE wide = cmsCreateRGBProfile(&white, &primaries, curves);
    ASSERT_TRUE(cmsSaveProfileToFile(srgb, source.c_str()));
    ASSERT_TRUE(cmsSaveProfileToFile(wide, destination.c_str()));
    cmsCloseProfile(wide);
    cmsCloseProfile(srgb);
    cmsFreeToneCurve(gamma);
    // As stored: the files hold the matrices rounded to 16 fraction bits.
    srgb = cmsOpenProfileFromFile(source.c_str(), "r");
    wide = cmsOpenProfileFromFile(destination.c_str(), "r");
    cmsHTRANSFORM transform = cmsCreateTransform(srgb, TYPE_RGB_8, wide, TYPE_RGB_8, INTENT_RELATIVE_COLORIMETRIC, 0);
    ASSERT_NE(transform, nullptr);
    Bytes expected(image_.size());
    cmsDoTransform(transform, image_.data(), expected.data(), kWidth * kHeight);
    cmsDeleteTransform(transform);
    cmsCloseProfile(wide);
    cmsCloseProfile(srgb);

    std::array<uint8_t, 256> t4, t5, t6;
    for (int i = 0; i < 256; ++i) {
        t4[i] = static_cast<uint8_t>(255 - i);
        t5[i] = static_cast<uint8_t>(i / 2);
        t6[i] = static_cast<uint8_t>(i < 128 ? 0 : 255);
    }
    for (size_t p = 0; p < expected.size(); p += 3) {
        expected[p] = t4[expected[p]];
        expected[p + 1] = t5[expected[p + 1]];
        expected[p + 2] = t6[expected[p + 2]];
    }
    uint16_t code = 0xFFFF;
    ASSERT_EQ(tzpusb_setIcctable(source.c_str(), destination.c_str(), INTENT_RELATIVE_COLORIMETRIC, nullptr, nullptr,
                                 nullptr, t4.data(), t5.data(), t6.data(), &code),
              1)
        << code;
    EXPECT_TRUE(print_page(3, 1) == expected);
}

}  // namespace
