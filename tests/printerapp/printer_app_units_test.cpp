// The printer application's parts that need no server: media, state
// reasons, options, raster pages, the job gate.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "image_filter.h"
#include "job_gate.h"
#include "media_catalog.h"
#include "page_raster.h"
#include "printer_condition.h"
#include "server_options.h"
#include "tzpusb.h"

namespace tz::app {
namespace {

std::vector<std::string> names(const std::vector<MediaSize>& sizes) {
    std::vector<std::string> out;
    for (const MediaSize& size : sizes) out.push_back(size.pwg_name);
    return out;
}

TEST(Media, FactoryMediaOffersEveryPhotoSizeAndItsFullSizeEachOnItsOwnArea) {
    const std::vector<MediaSize> sizes = sizes_for(factory_media());
    EXPECT_EQ(names(sizes), (std::vector<std::string>{"na_index-4x6_4x6in", "na_5x7_5x7in", "na_index-4x6-ext_6x8in",
                                                      "na_govt-letter_8x10in", "oe_photo-s8r_8x12in",
                                                      "custom_tz5170-full_8.2134x12.4in"}));
    EXPECT_EQ(sizes[0].area, (Area{1200, 1800}));
    EXPECT_EQ(sizes[4].area, (Area{2400, 3600}));
    EXPECT_EQ(sizes[5].area, (Area{2464, 3720}));
    // The full size read back as PAPPL reads it rasterises to the media's pixels.
    EXPECT_EQ(area_for_size(sizes[5].width_hmm, sizes[5].length_hmm), (Area{2464, 3720}));
}

TEST(Media, SmallMediaOffersOnlyWhatFitsAndOddSidesBecomeEven) {
    const uint8_t record[13] = {1, 0, 0, 1, 0xD9, 0x04, 0x35, 0x07, 0x2A, 0x00};  // 1241 x 1845, 42 left
    const std::optional<MediaInfo> media = parse_media_info(record, sizeof record);
    ASSERT_TRUE(media);
    EXPECT_EQ(media->prints_left, 42);
    const std::vector<MediaSize> sizes = sizes_for(*media);
    ASSERT_EQ(sizes.size(), 2u);
    EXPECT_EQ(sizes[0].pwg_name, "na_index-4x6_4x6in");
    EXPECT_EQ(sizes[1].area, (Area{1240, 1844}));
    EXPECT_FALSE(parse_media_info(record, 9));
}

TEST(Media, FinishesSelectTheTag30Setting) {
    EXPECT_EQ(finish_setting("photographic-glossy"), 0);
    EXPECT_EQ(finish_setting("photographic-matte"), 1);
    EXPECT_FALSE(finish_setting("stationery"));
}

TEST(Condition, PrinterStatesBecomeReasons) {
    EXPECT_EQ(reasons_for_status(TZP_COVER_OPEN), PAPPL_PREASON_COVER_OPEN);
    EXPECT_EQ(reasons_for_status(TZP_NO_PAPER), PAPPL_PREASON_MEDIA_EMPTY);
    EXPECT_EQ(reasons_for_status(TZP_NO_RIBBON), PAPPL_PREASON_MARKER_SUPPLY_EMPTY);
    for (unsigned code : {unsigned{TZP_NOT_RECOGNISED}, 2600u, 2605u}) EXPECT_EQ(reasons_for_status(code), PAPPL_PREASON_OFFLINE);
    for (unsigned code : {0u, 2100u, 2101u, 2103u, 2204u}) EXPECT_EQ(reasons_for_status(code), PAPPL_PREASON_NONE) << code;
    for (unsigned code : {2106u, 2107u, 2403u, 4005u}) EXPECT_EQ(reasons_for_status(code), PAPPL_PREASON_OTHER) << code;
    EXPECT_FALSE(reasons_for_status(TZP_PRINTER_IN_USE));
    EXPECT_TRUE(is_printer_error(TZP_COVER_OPEN));
    EXPECT_FALSE(is_printer_error(TZP_BUSY));
    EXPECT_FALSE(is_printer_error(2601));
}

TEST(Condition, SuppliesNameThePrintsLeft) {
    MediaInfo media = factory_media();
    media.prints_left = 350;
    Supplies supplies = supplies_for(media, 700, false, false);
    EXPECT_EQ(supplies.paper.level, 50);
    EXPECT_STREQ(supplies.paper.description, "Photo paper (350 prints left)");
    EXPECT_EQ(supplies.ribbon.level, 50);
    EXPECT_EQ(supplies_for(media, 700, true, false).ribbon.level, 0);
    EXPECT_EQ(supplies_for(media, 700, false, true).paper.level, 0);
}

std::variant<ServerOptions, std::string> parse(std::vector<std::pair<std::string, std::string>> given) {
    std::vector<cups_option_t> options;
    for (auto& [name, value] : given) options.push_back({name.data(), value.data()});
    return parse_server_options(int(options.size()), options.data(), true, "/root");
}

TEST(ServerOptions, RemoteAdministrationNeedsAnAuthService) {
    auto refused = parse({{"server-options", "web-remote"}});
    ASSERT_TRUE(std::holds_alternative<std::string>(refused));
    EXPECT_NE(std::get<std::string>(refused).find("auth-service"), std::string::npos);
    auto allowed = parse({{"server-options", "web-remote,web-security"}, {"auth-service", "login"}});
    ASSERT_TRUE(std::holds_alternative<ServerOptions>(allowed));
    EXPECT_TRUE(std::get<ServerOptions>(allowed).options & PAPPL_SOPTIONS_WEB_REMOTE);
}

TEST(ServerOptions, BadValuesAndUnknownNamesAreRefusedAndDefaultsKeepOutOfVarForTests) {
    for (auto bad : std::vector<std::vector<std::pair<std::string, std::string>>>{
             {{"server-port", "0"}}, {{"server-port", "80x"}}, {{"log-level", "loud"}},
             {{"server-options", "web-everything"}}, {{"state-fil", "/tmp/x"}}, {{"state-file", ""}}})
        EXPECT_TRUE(std::holds_alternative<std::string>(parse(bad))) << bad[0].first;
    auto good = parse({{"server-port", "8631"}, {"state-file", "/tmp/s"}, {"log-level", "debug"}});
    ASSERT_TRUE(std::holds_alternative<ServerOptions>(good));
    EXPECT_EQ(std::get<ServerOptions>(good).port, 8631);
    EXPECT_EQ(std::get<ServerOptions>(good).state_file, "/tmp/s");
    EXPECT_FALSE(std::get<ServerOptions>(good).private_server);
    EXPECT_TRUE(std::get<ServerOptions>(parse({{"private-server", "true"}})).private_server);
    EXPECT_EQ(default_state_file(true, "/root"), "/var/lib/tz5170-printer-app/tz5170-printer-app.state");
    EXPECT_EQ(default_state_file(false, "/home/ann"), "/home/ann/.config/tz5170-printer-app.state");
}

cups_page_header2_t header(unsigned dpi, cups_cspace_t space, unsigned bits, unsigned width, unsigned height) {
    cups_page_header2_t h{};
    h.HWResolution[0] = h.HWResolution[1] = dpi;
    h.cupsColorSpace = space;
    h.cupsBitsPerColor = bits;
    h.cupsColorOrder = CUPS_ORDER_CHUNKED;
    h.cupsWidth = width;
    h.cupsHeight = height;
    h.cupsNumColors = (space == CUPS_CSPACE_SRGB || space == CUPS_CSPACE_RGB) ? 3 : (space == CUPS_CSPACE_CMYK ? 4 : 1);
    h.cupsBytesPerLine = width * h.cupsNumColors * bits / 8;
    return h;
}

TEST(PageRaster, PagesThePrinterCannotTakeAreRefusedWithAReason) {
    auto at150 = line_format_for(header(150, CUPS_CSPACE_SRGB, 8, 600, 900));
    ASSERT_TRUE(std::holds_alternative<std::string>(at150));
    EXPECT_NE(std::get<std::string>(at150).find("300 dpi"), std::string::npos);
    EXPECT_TRUE(std::holds_alternative<std::string>(line_format_for(header(300, CUPS_CSPACE_CMYK, 8, 10, 10))));
    EXPECT_TRUE(std::holds_alternative<std::string>(line_format_for(header(300, CUPS_CSPACE_K, 1, 10, 10))));
    EXPECT_TRUE(std::holds_alternative<std::string>(line_format_for(header(300, CUPS_CSPACE_SRGB, 8, 5000, 10))));

    const std::vector<MediaSize> offered = sizes_for(factory_media());
    const Area full{2464, 3720};
    EXPECT_TRUE(std::holds_alternative<std::string>(place_page(2466, 100, full, offered)));
    auto four_by_six = place_page(1200, 1800, full, offered);  // a 4x6 page takes the 4x6 area
    ASSERT_TRUE(std::holds_alternative<Placement>(four_by_six));
    EXPECT_EQ(std::get<Placement>(four_by_six).area, (Area{1200, 1800}));
    auto small = place_page(1000, 1000, Area{1200, 1800}, offered);  // smaller: centred
    ASSERT_TRUE(std::holds_alternative<Placement>(small));
    EXPECT_EQ(std::get<Placement>(small).offset_x, 100);
    EXPECT_EQ(std::get<Placement>(small).offset_y, 400);
}

TEST(PageRaster, GreyAndSixteenBitLinesBecomeEightBitRgb) {
    auto grey = std::get<LineFormat>(line_format_for(header(300, CUPS_CSPACE_SW, 8, 2, 1)));
    const uint8_t grey_line[2] = {10, 200};
    uint8_t rgb[6] = {};
    convert_line(grey, grey_line, rgb);
    EXPECT_EQ(std::vector<uint8_t>(rgb, rgb + 6), (std::vector<uint8_t>{10, 10, 10, 200, 200, 200}));
    auto deep = std::get<LineFormat>(line_format_for(header(300, CUPS_CSPACE_SRGB, 16, 1, 1)));
    const uint8_t deep_line[6] = {0x12, 0x34, 0xAB, 0xCD, 0xFF, 0x00};
    convert_line(deep, deep_line, rgb);
    EXPECT_EQ(std::vector<uint8_t>(rgb, rgb + 3), (std::vector<uint8_t>{0x12, 0xAB, 0xFF}));
    uint8_t colour[6] = {255, 0, 0, 10, 20, 30};
    make_grey(colour, 2);
    EXPECT_EQ(std::vector<uint8_t>(colour, colour + 6), (std::vector<uint8_t>{76, 76, 76, 18, 18, 18}));
}

TEST(JobGate, ASecondJobWaitsForTheFirstOrTakesOverFromOneThatEnded) {
    JobGate gate;
    auto never = [](int) { return false; };
    auto keep_waiting = [] { return false; };
    ASSERT_TRUE(gate.enter(1, never, keep_waiting));
    std::atomic<bool> second_in{false};
    std::thread second([&] {
        gate.enter(2, never, keep_waiting, std::chrono::milliseconds(10));
        second_in = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(second_in);
    gate.leave(1);
    second.join();
    EXPECT_EQ(gate.holder(), 2);
    // Job 2 ended without leaving: job 3 notices and goes ahead; job 4 gives up when told.
    EXPECT_TRUE(gate.enter(3, [](int id) { return id == 2; }, keep_waiting));
    EXPECT_FALSE(gate.enter(4, never, [] { return true; }));
    EXPECT_EQ(gate.holder(), 3);
}

TEST(ImageFormats, TiffAndWebpAreKnownByTheirFirstBytes) {
    const unsigned char tiff[] = {'I', 'I', '*', 0}, webp[] = "RIFF\x10\0\0\0WEBPVP8 ", jpeg[] = {0xFF, 0xD8, 0xFF, 0xE0};
    EXPECT_STREQ(detect_image_format(tiff, sizeof tiff), "image/tiff");
    EXPECT_STREQ(detect_image_format(webp, 16), "image/webp");
    EXPECT_EQ(detect_image_format(jpeg, sizeof jpeg), nullptr);
    EXPECT_EQ(detect_image_format(webp, 8), nullptr);
}

}  // namespace
}  // namespace tz::app
