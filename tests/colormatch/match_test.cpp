// Pixel map handling: strides, padding, in-place matching, refusals, threads.
#include "cm_test_support.h"

#include <gtest/gtest.h>

#include <thread>

using namespace tzcm_test;

namespace {

constexpr std::uint8_t kPad = 0xA5;

// Copies tightly packed rows into a buffer of `stride` bytes a row, the gap
// filled with kPad.
std::vector<std::uint8_t> padded(const std::vector<std::uint8_t> &packed, int row_bytes, int stride) {
    const std::size_t lines = packed.size() / row_bytes;
    std::vector<std::uint8_t> out(lines * stride, kPad);
    for (std::size_t y = 0; y < lines; ++y) {
        std::copy_n(packed.begin() + y * row_bytes, row_bytes, out.begin() + y * stride);
    }
    return out;
}

std::vector<std::uint8_t> expected_for(Kind src, Kind dst, const std::uint8_t *tables,
                                       const std::vector<std::uint8_t> &px) {
    const TestProfiles &tp = test_profiles();
    return reference_match(tp.path(src), src, tp.path(dst), dst, 0, tables, px);
}

} // namespace

TEST(ColorMatchPixels, InPlaceWithRowPaddingLeavesPaddingAlone) {
    const auto tables = shaped_tables();
    const struct {
        Kind src, dst;
        const std::uint8_t *tables;
    } cases[] = {{Kind::Srgb, Kind::Gamma18Rgb, nullptr},
                 {Kind::Srgb, Kind::Gamma18Rgb, tables.data()},
                 {Kind::Cmyk, Kind::Srgb, nullptr}, // fewer output bytes, same rows
                 {Kind::Cmyk, Kind::Srgb, tables.data()}};
    for (const auto &c : cases) {
        const int in = channels_of(c.src), out = channels_of(c.dst);
        const int width = 2900, stride = width * in + 7;
        const auto px = test_pixels(in, width * 3 - 256 * (in + 1), 21);
        const int lines = static_cast<int>(px.size()) / in / width;
        auto buffer = padded(px, width * in, stride);
        tzcm_pixmap map = pixmap(buffer.data(), width, lines, in, stride);
        tzcm_pixmap dst = pixmap(buffer.data(), width, lines, out, stride);
        ASSERT_EQ(SDKCMMatchPixelMap(World(c.src, c.dst, 0, c.tables).id, &map, &dst), 0);

        const auto expected = expected_for(c.src, c.dst, c.tables, px);
        for (int y = 0; y < lines; ++y) {
            const std::uint8_t *row = buffer.data() + std::size_t(y) * stride;
            ASSERT_TRUE(std::equal(row, row + width * out, expected.begin() + std::size_t(y) * width * out))
                << "row " << y;
            // Beyond the output pixels the row keeps its old input bytes,
            // and the padding stays as it was.
            for (int i = width * in; i < stride; ++i) ASSERT_EQ(row[i], kPad) << "row " << y;
        }
    }
}

TEST(ColorMatchPixels, SeparateBuffersWithDifferentStrides) {
    const int width = 300, in = 3, out = 4;
    const auto px = test_pixels(in, width * 6 - 256 * 4, 4);
    const int lines = int(px.size()) / in / width;
    const auto src = padded(px, width * in, width * in + 3);
    const auto src_before = src;
    std::vector<std::uint8_t> dst(std::size_t(lines) * (width * out + 13), kPad);
    tzcm_pixmap s = pixmap(const_cast<std::uint8_t *>(src.data()), width, lines, in, width * in + 3);
    tzcm_pixmap d = pixmap(dst.data(), width, lines, out, width * out + 13);
    World w(Kind::Srgb, Kind::Cmyk, 0, shaped_tables().data());
    ASSERT_EQ(SDKCMMatchPixelMap(w.id, &s, &d), 0);
    EXPECT_EQ(src, src_before);
    const auto expected = padded(expected_for(Kind::Srgb, Kind::Cmyk, shaped_tables().data(), px),
                                 width * out, width * out + 13);
    EXPECT_EQ(dst, expected);
}

TEST(ColorMatchPixels, BadMapsAreRefusedWithoutTouchingData) {
    World rgb(Kind::Srgb, Kind::Cmyk, 0, nullptr);
    ASSERT_NE(rgb.id, 0u);
    std::vector<std::uint8_t> src(4 * 8 * 4, 0x11), dst(4 * 8 * 4, kPad);
    const auto good_s = pixmap(src.data(), 8, 4, 3, 24);
    const auto good_d = pixmap(dst.data(), 8, 4, 4, 32);

    struct Case {
        const char *what;
        tzcm_pixmap s, d;
    };
    auto with = [&](auto change) {
        Case c{"", good_s, good_d};
        change(c);
        return c;
    };
    const Case cases[] = {
        with([](Case &c) { c.what = "null source data"; c.s.data = nullptr; }),
        with([](Case &c) { c.what = "null destination data"; c.d.data = nullptr; }),
        with([](Case &c) { c.what = "zero width"; c.s.width = c.d.width = 0; }),
        with([](Case &c) { c.what = "negative lines"; c.s.lines = c.d.lines = -1; }),
        with([](Case &c) { c.what = "widths differ"; c.d.width = 7; }),
        with([](Case &c) { c.what = "lines differ"; c.d.lines = 3; }),
        with([](Case &c) { c.what = "input components"; c.s.components = 4; c.s.bytes_per_row = 32; }),
        with([](Case &c) { c.what = "output components"; c.d.components = 3; }),
        with([](Case &c) { c.what = "short source row"; c.s.bytes_per_row = 23; }),
        with([](Case &c) { c.what = "short destination row"; c.d.bytes_per_row = 31; }),
        with([](Case &c) { c.what = "negative stride"; c.s.bytes_per_row = -24; }),
        // RGB to CMYK writes more than it reads: not possible in place.
        with([&](Case &c) { c.what = "growing in place"; c.d.data = src.data(); c.d.bytes_per_row = 24 * 4 / 3; }),
        with([&](Case &c) { c.what = "partial overlap"; c.d.data = src.data() + 1; }),
    };
    for (const Case &c : cases) {
        tzcm_pixmap s = c.s, d = c.d;
        EXPECT_NE(SDKCMMatchPixelMap(rgb.id, &s, &d), 0) << c.what;
        EXPECT_EQ(src, std::vector<std::uint8_t>(src.size(), 0x11)) << c.what;
        EXPECT_EQ(dst, std::vector<std::uint8_t>(dst.size(), kPad)) << c.what;
    }
    tzcm_pixmap s = good_s, d = good_d;
    EXPECT_NE(SDKCMMatchPixelMap(rgb.id, nullptr, &d), 0);
    EXPECT_NE(SDKCMMatchPixelMap(rgb.id, &s, nullptr), 0);
    EXPECT_NE(SDKCMMatchPixelMap(0, &s, &d), 0);
    EXPECT_NE(SDKCMMatchPixelMap(rgb.id + 1000, &s, &d), 0);
    EXPECT_EQ(dst, std::vector<std::uint8_t>(dst.size(), kPad));
    EXPECT_EQ(SDKCMMatchPixelMap(rgb.id, &s, &d), 0); // and the good map works
}

TEST(ColorMatchPixels, ConcurrentWorldsGiveTheSameResults) {
    const auto tables = shaped_tables();
    const auto px = test_pixels(3, 2000, 13);
    const auto expected = expected_for(Kind::Srgb, Kind::Cmyk, tables.data(), px);
    World shared(Kind::Srgb, Kind::Cmyk, 0, tables.data());
    ASSERT_NE(shared.id, 0u);
    const int count = int(px.size() / 3);
    std::vector<int> failures(4, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 5; ++round) {
                // Half the threads build their own worlds meanwhile.
                World own(Kind::Srgb, Kind::Cmyk, 0, tables.data());
                const std::uint32_t id = t % 2 ? own.id : shared.id;
                std::vector<std::uint8_t> in = px, out(std::size_t(count) * 4);
                tzcm_pixmap s = pixmap(in.data(), count, 1, 3, count * 3);
                tzcm_pixmap d = pixmap(out.data(), count, 1, 4, count * 4);
                if (SDKCMMatchPixelMap(id, &s, &d) != 0 || out != expected) ++failures[t];
            }
        });
    }
    for (auto &th : threads) th.join();
    EXPECT_EQ(failures, std::vector<int>(4, 0));
}
