// The write path's conversion: mode choice, tables and channel order, the
// chunks of the work buffer, sharpening with its one-line lag and the hand-off
// of sharpened blocks, on literal bytes and against a page-level reference
// written out here.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "image/image_converter.h"

namespace {

using tz::lib::ConversionMode;
using tz::lib::ImageConverter;
using Bytes = std::vector<uint8_t>;

struct Sink final : tz::lib::PixelSink {
    bool put(const uint8_t* data, uint32_t count) override {
        if (static_cast<int>(puts.size()) == fail_at) return false;
        puts.push_back(count);
        bytes.insert(bytes.end(), data, data + count);
        return true;
    }
    Bytes bytes;
    std::vector<uint32_t> puts;
    int fail_at = -1;
};

// Inverts every byte it matches, so that matched blocks can be told apart.
struct Matcher final : tz::lib::BlockMatcher {
    bool ready() const override { return is_ready; }
    bool match(uint8_t* block, int32_t width, int32_t lines, int channels) override {
        calls.emplace_back(width, lines);
        for (int32_t i = 0; i < width * lines * channels; ++i) block[i] = static_cast<uint8_t>(~block[i]);
        return true;
    }
    bool is_ready = false;
    std::vector<std::pair<int32_t, int32_t>> calls;
};

Bytes random_bytes(size_t count, unsigned seed) {
    std::mt19937 random(seed);
    Bytes bytes(count);
    for (auto& b : bytes) b = static_cast<uint8_t>(random());
    return bytes;
}

// The whole page sharpened as the printer should receive it: white all
// around, output channel c taken from input channel (2, 1, 0)[c] when swapped.
Bytes reference_sharpen(const Bytes& pixels, int width, int height, const std::array<int32_t, 9>& k, bool swap) {
    auto at = [&](int x, int y, int c) -> int64_t {
        if (x < 0 || x >= width || y < 0 || y >= height) return 255;
        return pixels[(size_t(y) * width + x) * 3 + (swap ? 2 - c : c)];
    };
    Bytes out;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < 3; ++c) {
                int64_t sum = 0;
                for (int dy = -1; dy <= 1; ++dy) {
                    for (int dx = -1; dx <= 1; ++dx) sum += k[(dy + 1) * 3 + dx + 1] * at(x + dx, y + dy, c);
                }
                const int64_t value = sum / 100;
                out.push_back(static_cast<uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value));
            }
        }
    }
    return out;
}

class Converter : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(converter.allocate()); }

    void start(uint16_t width, uint16_t height, uint16_t format) {
        image.width = width;
        image.height = height;
        image.format = format;
        image.lines_processed = 0;
        converter.start_page();
        sink = Sink{};
        matcher.calls.clear();
    }
    bool write(const Bytes& data, size_t from = 0, size_t count = SIZE_MAX) {
        uint32_t taken = 0;
        const uint32_t n = static_cast<uint32_t>(std::min(count, data.size() - from));
        const bool ok = converter.write(data.data() + from, n, taken);
        EXPECT_EQ(taken, ok ? n : taken);
        return ok;
    }
    void set_kernel(std::array<int32_t, 9> k) { tz::lib::set_kernel(kernel, k.data()); }

    tz::lib::PageImage image;
    tz::lib::ConversionTables tables;
    tz::lib::MtfKernel kernel;
    Matcher matcher;
    Sink sink;
    ImageConverter converter{image, tables, kernel, matcher, sink};
};

TEST_F(Converter, ModeFollowsPrecedenceAndTableFlags) {
    start(2464, 10, 3);
    EXPECT_EQ(converter.mode(), ConversionMode::Plain);
    EXPECT_FALSE(converter.output_tables_active());
    EXPECT_FALSE(converter.input_tables_active());
    tables.output.t[2][7] = 8;
    start(2464, 10, 3);
    EXPECT_EQ(converter.mode(), ConversionMode::OutputLookup);
    EXPECT_TRUE(converter.output_tables_active());
    matcher.is_ready = true;
    start(2464, 10, 3);
    EXPECT_EQ(converter.mode(), ConversionMode::ColorMatch);
    set_kernel({0, -10, 0, -10, 140, -10, 0, -10, 0});
    start(4096, 10, 3);
    EXPECT_EQ(converter.mode(), ConversionMode::Sharpen);
    start(4097, 10, 3);  // too wide to sharpen
    EXPECT_EQ(converter.mode(), ConversionMode::ColorMatch);
    EXPECT_TRUE(converter.output_tables_active());
    tables.input.t[0][0] = 1;
    start(2464, 10, 3);
    EXPECT_TRUE(converter.input_tables_active());
}

TEST_F(Converter, PlainKeepsFormat3AndSwapsFormat4) {
    const Bytes lines{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    start(2, 2, 3);
    ASSERT_TRUE(write(lines));
    EXPECT_EQ(sink.bytes, lines);
    EXPECT_EQ(image.lines_processed, 2u);
    start(2, 2, 4);
    ASSERT_TRUE(write(lines));
    EXPECT_EQ(sink.bytes, (Bytes{3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10}));
    // Lines split across calls are converted once complete.
    start(2, 2, 4);
    ASSERT_TRUE(write(lines, 0, 4));
    EXPECT_TRUE(sink.bytes.empty());
    ASSERT_TRUE(write(lines, 4, 1));
    ASSERT_TRUE(write(lines, 5, 5));
    EXPECT_EQ(sink.bytes, (Bytes{3, 2, 1, 6, 5, 4}));
    ASSERT_TRUE(write(lines, 10));
    EXPECT_EQ(sink.bytes, (Bytes{3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10}));
}

TEST_F(Converter, TablesTakeTheSwappedBytesOnce) {
    for (int i = 0; i < 256; ++i) {
        tables.input.t[0][i] = static_cast<uint8_t>(255 - i);
        tables.input.t[2][i] = static_cast<uint8_t>(i / 2);
    }
    start(2, 1, 4);
    ASSERT_TRUE(write({10, 20, 30, 200, 0, 100}));
    EXPECT_EQ(converter.mode(), ConversionMode::Plain);
    EXPECT_EQ(sink.bytes, (Bytes{225, 20, 5, 155, 0, 100}));  // table 0 on byte 2, no second swap

    tables.input = {};
    for (int i = 0; i < 256; ++i) tables.output.t[0][i] = static_cast<uint8_t>(255 - i);
    start(2, 1, 4);
    ASSERT_TRUE(write({10, 20, 30, 200, 0, 100}));
    EXPECT_EQ(converter.mode(), ConversionMode::OutputLookup);
    EXPECT_EQ(sink.bytes, (Bytes{225, 20, 10, 155, 0, 200}));
}

TEST_F(Converter, ColorMatchSwapsThenMatchesEachChunk) {
    matcher.is_ready = true;
    tables.output.t[1][2] = 99;  // carried by the colour world, not applied here
    start(1, 3, 4);
    ASSERT_TRUE(write({1, 2, 3, 4, 5, 6}));
    ASSERT_TRUE(write({7, 8, 9}));
    EXPECT_EQ(sink.bytes, (Bytes{252, 253, 254, 249, 250, 251, 246, 247, 248}));
    EXPECT_EQ(matcher.calls, (std::vector<std::pair<int32_t, int32_t>>{{1, 2}, {1, 1}}));
}

TEST_F(Converter, Width1000GoesInChunksOf43Lines) {
    start(1000, 100, 4);
    const Bytes page = random_bytes(300000, 1);
    ASSERT_TRUE(write(page));
    EXPECT_EQ(sink.puts, (std::vector<uint32_t>{129000, 129000, 42000}));
    EXPECT_EQ(image.bytes_expected, 300000u);
    EXPECT_EQ(image.lines_processed, 100u);
    ASSERT_EQ(sink.bytes.size(), page.size());
    for (size_t i = 0; i < page.size(); i += 3) {
        ASSERT_EQ(sink.bytes[i], page[i + 2]);
        ASSERT_EQ(sink.bytes[i + 1], page[i + 1]);
        ASSERT_EQ(sink.bytes[i + 2], page[i]);
    }
}

TEST_F(Converter, OneLinePageIsSharpenedInTheSameCall) {
    set_kernel({0, -10, 0, -10, 140, -10, 0, -10, 0});
    start(2, 1, 3);
    ASSERT_TRUE(write({100, 200, 0, 50, 255, 10}));
    // 140p - 10*(left + right) - 10*(255 + 255) with white beyond the line.
    EXPECT_EQ(sink.bytes, (Bytes{58, 178, 0, 0, 255, 0}));
    EXPECT_EQ(sink.puts.size(), 1u);
}

TEST_F(Converter, SharpenedPageLagsOneLineAndIsHandedOnInBlocks) {
    const std::array<int32_t, 9> k{-7, -13, 5, -20, 171, -9, 3, -11, -8};
    set_kernel(k);
    const int width = 4096, height = 20;
    const uint32_t line = width * 3;  // 10 lines a chunk, 6 lines of staging
    const Bytes page = random_bytes(size_t{line} * height, 2);
    const Bytes expected = reference_sharpen(page, width, height, k, true);

    start(width, height, 4);
    ASSERT_TRUE(write(page));
    EXPECT_EQ(sink.puts, (std::vector<uint32_t>{6 * line, 3 * line, 6 * line, 5 * line}));
    EXPECT_EQ(sink.bytes, expected);

    // In pieces, with an output table after sharpening.
    for (int i = 0; i < 256; ++i) tables.output.t[1][i] = static_cast<uint8_t>(255 - i);
    start(width, height, 4);
    ASSERT_TRUE(write(page, 0, 7 * line));
    EXPECT_EQ(sink.bytes.size(), 6u * line);
    ASSERT_TRUE(write(page, 7 * line, line + 5));
    ASSERT_TRUE(write(page, 8 * line + 5, 9000));
    ASSERT_TRUE(write(page, 8 * line + 9005));
    Bytes mapped = expected;
    for (size_t i = 1; i < mapped.size(); i += 3) mapped[i] = static_cast<uint8_t>(255 - mapped[i]);
    EXPECT_EQ(sink.bytes, mapped);

    // With a colour world the output tables are the world's business.
    matcher.is_ready = true;
    start(width, height, 4);
    ASSERT_TRUE(write(page));
    EXPECT_EQ(matcher.calls, (std::vector<std::pair<int32_t, int32_t>>{{width, 6}, {width, 3}, {width, 6}, {width, 5}}));
    Bytes inverted = expected;
    for (auto& b : inverted) b = static_cast<uint8_t>(~b);
    EXPECT_EQ(sink.bytes, inverted);
}

TEST_F(Converter, RefusesWhatItCannotConvert) {
    // No image described: no line size to split by.
    start(0, 0, 3);
    EXPECT_FALSE(write({1, 2, 3}));
    // Lines longer than the buffers are sized for.
    start(6000, 1, 3);
    EXPECT_FALSE(write(Bytes(18000)));
    EXPECT_TRUE(sink.puts.empty());
    // Sharpening only knows 1, 3 or 4 channels.
    set_kernel({0, 0, 0, 0, 120, 0, 0, 0, 0});
    image.channels = 2;
    start(2, 2, 3);
    EXPECT_FALSE(write({1, 2, 3, 4}));
    image.channels = 3;
    // A stream failure ends the write; the passes made so far stay counted
    // (three lines read, the failing hand-off in the pass after the last).
    start(1, 3, 3);
    sink.fail_at = 0;
    EXPECT_FALSE(write({1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(image.lines_processed, 3u);
}

int g_matches = 0;
int in_components(uint32_t) { return 3; }
int out_components(uint32_t) { return 4; }
int count_match(uint32_t, const tz::lib::ColorPixmap*, tz::lib::ColorPixmap*) { return ++g_matches, 0; }

TEST(MatchBlock, LeavesBlockAloneWhenTheWorldChangesItsSize) {
    tz::lib::ColorApi api;
    api.GetNumsOfInPixComp = in_components;
    api.GetNumsOfOutPixComp = out_components;
    api.MatchPixelMap = count_match;
    uint8_t block[6] = {};
    EXPECT_FALSE(tz::lib::match_block(api, 1, block, 2, 1, 3));
    EXPECT_EQ(g_matches, 0);
    api.GetNumsOfOutPixComp = in_components;
    EXPECT_TRUE(tz::lib::match_block(api, 1, block, 2, 1, 3));
    EXPECT_FALSE(tz::lib::match_block(api, 0, block, 2, 1, 3));  // no world
    EXPECT_EQ(g_matches, 1);
}

}  // namespace
