// The bytes each colour world gives, recorded once from the Linux build.
// The Windows build compiles LittleCMS from the same source with another
// compiler and C library; it must give the very same bytes.
#include "cm_test_support.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>

using namespace tzcm_test;

namespace {

// Every combination of 18 levels (0, 15, ..., 255) on every channel; for four
// channels every other level, to stay small.
std::vector<std::uint8_t> level_grid(int channels) {
    const int step = channels == 4 ? 30 : 15;
    std::vector<int> levels;
    for (int v = 0; v < 255; v += step) levels.push_back(v);
    levels.push_back(255);
    std::vector<std::uint8_t> pixels;
    std::vector<std::size_t> at(channels, 0);
    for (;;) {
        for (int c = 0; c < channels; ++c) pixels.push_back(static_cast<std::uint8_t>(levels[at[c]]));
        int c = 0;
        while (c < channels && ++at[c] == levels.size()) at[c++] = 0;
        if (c == channels) return pixels;
    }
}

std::uint64_t fnv1a(const std::vector<std::uint8_t> &bytes) {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (std::uint8_t b : bytes) hash = (hash ^ b) * 0x100000001b3ull;
    return hash;
}

const char *name_of(Kind kind) {
    switch (kind) {
    case Kind::Srgb: return "Srgb";
    case Kind::Gamma18Rgb: return "Gamma18Rgb";
    case Kind::Cmyk: return "Cmyk";
    case Kind::Gray: return "Gray";
    case Kind::Lab: return "Lab";
    }
    return "?";
}

struct Recorded {
    Kind src, dst;
    int intent;
    bool curves;
    std::uint64_t hash;
};

// Recorded with the Linux build (LittleCMS 2.14). A failure prints the line
// the running build would record.
const Recorded kRecorded[] = {
#include "recorded_outputs.inc"
};

} // namespace

TEST(ColorMatchRecordedOutput, EveryWorldGivesTheBytesTheLinuxBuildGave) {
    const auto curves = shaped_tables();
    for (const Recorded &r : kRecorded) {
        const int in = channels_of(r.src), out = channels_of(r.dst);
        std::vector<std::uint8_t> input = level_grid(in);
        const int count = static_cast<int>(input.size()) / in;
        std::vector<std::uint8_t> output(std::size_t(count) * out);
        tzcm_pixmap s = pixmap(input.data(), count, 1, in, count * in);
        tzcm_pixmap d = pixmap(output.data(), count, 1, out, count * out);
        World world(r.src, r.dst, r.intent, r.curves ? curves.data() : nullptr);
        ASSERT_NE(world.id, 0u);
        ASSERT_EQ(SDKCMMatchPixelMap(world.id, &s, &d), 0);
        char line[160];
        std::snprintf(line, sizeof line, "{Kind::%s, Kind::%s, %d, %s, 0x%016" PRIx64 "ull},", name_of(r.src),
                      name_of(r.dst), r.intent, r.curves ? "true" : "false", fnv1a(output));
        EXPECT_EQ(fnv1a(output), r.hash) << line;
    }
}
