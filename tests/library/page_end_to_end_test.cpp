// Whole pages printed on a virtual printer through the exports, compared
// pixel for pixel with the PNG it wrote.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <utility>
#include <vector>

#include "library_session.h"
#include "png_file.h"
#include "printer_farm.h"

namespace {

using tz::test::read_png;

using tz::test::eventually;
using Bytes = std::vector<uint8_t>;


// Pages in the printer's order (format 3) and with the outer channels
// exchanged (format 4) come out of a virtual printer as sent; each is the
// printer's first (and second) print.
TEST(PageEndToEnd, PlainPagesArePrintedAsSent) {
    tz::test::PrinterFarm farm;
    tz::test::TempFolder output;
    tz::emulator::PrinterOptions options;
    options.serial = "SN000001";
    options.time_scale = 0.001;
    options.output_folder = output.path();
    farm.add(options);
    tz::test::OpenLibrary library;
    ASSERT_TRUE(library.ok()) << library.code();
    const uint16_t width = 40, height = 30;
    Bytes area = {0, static_cast<uint8_t>(width), 0, static_cast<uint8_t>(height), 0, 0, 0, 0, 0, 0};
    uint32_t size = static_cast<uint32_t>(area.size());
    uint16_t code = 0xFFFF;
    ASSERT_EQ(tzpusb_setPrinterInfo(0, area.data(), &size, &code), 1) << code;
    Bytes image(size_t{width} * height * 3);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 13 + i / 120);
    for (int format : {3, 4}) {
        ASSERT_EQ(tzpusb_imageformat(format, 3, 8, width, height, 0, 0, &code), 1) << code;
        uint16_t id = 0;
        ASSERT_TRUE(eventually([&] { return tzpusb_startpage(&id, &code) == 1; })) << code;
        uint32_t count = static_cast<uint32_t>(image.size());
        ASSERT_EQ(tzpusb_write(image.data(), &count, &code), 1) << code;
        tzpusb_endpage(&code);
        Bytes expected = image;
        if (format == 4)
            for (size_t p = 0; p < expected.size(); p += 3) std::swap(expected[p], expected[p + 2]);
        std::string png;
        ASSERT_TRUE(eventually([&] {
            for (const auto& entry : std::filesystem::directory_iterator(output.path()))
                if (entry.path().extension() == ".png" &&
                    entry.path().filename().string().find(format == 3 ? "-000001-" : "-000002-") != std::string::npos)
                    png = entry.path().string();
            return !png.empty();
        }));
        uint32_t w = 0, h = 0;
        Bytes printed;
        ASSERT_TRUE(eventually([&] { return !(printed = read_png(png, w, h)).empty(); }));
        EXPECT_EQ(w, width);
        EXPECT_EQ(h, height);
        EXPECT_TRUE(printed == expected) << "format " << format;
    }
}

}  // namespace
