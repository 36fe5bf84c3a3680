// Building colour worlds and what they compute, checked against LittleCMS
// called directly on the same profile files.
#include "cm_test_support.h"

#include <gtest/gtest.h>

#include <random>

using namespace tzcm_test;

namespace {

// Runs all pixels through the world as one block, `width` pixels a row.
std::vector<std::uint8_t> match(const World &world, Kind src, Kind dst,
                                const std::vector<std::uint8_t> &pixels, int width) {
    const int in = channels_of(src), out = channels_of(dst);
    const int count = static_cast<int>(pixels.size()) / in;
    std::vector<std::uint8_t> input = pixels, output(std::size_t(count) * out);
    tzcm_pixmap s = pixmap(input.data(), width, count / width, in, width * in);
    tzcm_pixmap d = pixmap(output.data(), width, count / width, out, width * out);
    EXPECT_EQ(SDKCMMatchPixelMap(world.id, &s, &d), 0);
    return output;
}

std::vector<std::uint8_t> identity_tables() {
    std::vector<std::uint8_t> t(5 * 256);
    for (std::size_t i = 0; i < t.size(); ++i) t[i] = static_cast<std::uint8_t>(i);
    return t;
}

std::vector<std::uint8_t> random_tables(unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> t(5 * 256);
    for (auto &v : t) v = static_cast<std::uint8_t>(rng());
    return t;
}

struct Pair {
    Kind src, dst;
};
const Pair kPairs[] = {{Kind::Srgb, Kind::Gamma18Rgb}, {Kind::Srgb, Kind::Cmyk},
                       {Kind::Cmyk, Kind::Srgb},       {Kind::Gray, Kind::Srgb},
                       {Kind::Srgb, Kind::Gray},       {Kind::Lab, Kind::Srgb}};

} // namespace

TEST(ColorMatchWorld, EachIntentMatchesLittleCmsDirectly) {
    const TestProfiles &tp = test_profiles();
    const auto identity = identity_tables();
    for (const Pair &p : kPairs) {
        const auto pixels = test_pixels(channels_of(p.src), 4000, 11);
        for (int intent = 0; intent <= 3; ++intent) {
            SCOPED_TRACE(testing::Message() << tp.path(p.src) << " -> " << tp.path(p.dst)
                                            << " intent " << intent);
            const auto expected = reference_match(tp.path(p.src), p.src, tp.path(p.dst), p.dst,
                                                  intent, nullptr, pixels);
            World null_tables(p.src, p.dst, intent, nullptr);
            World identity_block(p.src, p.dst, intent, identity.data());
            ASSERT_NE(null_tables.id, 0u);
            ASSERT_NE(identity_block.id, 0u);
            EXPECT_EQ(match(null_tables, p.src, p.dst, pixels, 1), expected);
            EXPECT_EQ(match(identity_block, p.src, p.dst, pixels, 1), expected);
        }
    }
}

TEST(ColorMatchWorld, IntentReachesTheTransform) {
    // The CMYK profile has its own table for relative colorimetric and a
    // paper white that only absolute colorimetric keeps, so intents 0, 1 and
    // 3 give three different results.
    const auto pixels = test_pixels(3, 0, 0);
    std::vector<std::uint8_t> results[4];
    for (int intent : {0, 1, 3}) {
        World w(Kind::Srgb, Kind::Cmyk, intent, nullptr);
        results[intent] = match(w, Kind::Srgb, Kind::Cmyk, pixels, 1);
    }
    EXPECT_NE(results[0], results[1]);
    EXPECT_NE(results[1], results[3]);
    EXPECT_NE(results[0], results[3]);
}

TEST(ColorMatchWorld, CurveBlockEqualsCurvesAppliedByHand) {
    const TestProfiles &tp = test_profiles();
    const std::vector<std::vector<std::uint8_t>> blocks = {shaped_tables(), random_tables(1),
                                                           random_tables(2)};
    for (const Pair &p : kPairs) {
        const int in = channels_of(p.src);
        // 3000 pixels a row: longer than one internal run of input curves.
        const auto pixels = test_pixels(in, 3000 * 4 - 256 * (in + 1), 5);
        for (std::size_t b = 0; b < blocks.size(); ++b) {
            for (int intent : {0, 3}) {
                SCOPED_TRACE(testing::Message() << tp.path(p.src) << " -> " << tp.path(p.dst)
                                                << " block " << b << " intent " << intent);
                World world(p.src, p.dst, intent, blocks[b].data());
                ASSERT_NE(world.id, 0u);
                const auto expected = reference_match(tp.path(p.src), p.src, tp.path(p.dst),
                                                      p.dst, intent, blocks[b].data(), pixels);
                EXPECT_EQ(match(world, p.src, p.dst, pixels, 3000), expected);
            }
        }
    }
}

TEST(ColorMatchWorld, OnlyOneSideOfCurvesNonIdentity) {
    const TestProfiles &tp = test_profiles();
    const auto pixels = test_pixels(3, 1000, 9);
    auto input_only = identity_tables(), output_only = identity_tables();
    for (int i = 0; i < 256; ++i) {
        input_only[i] = static_cast<std::uint8_t>(i ^ 0x5A);
        output_only[4 * 256 + i] = static_cast<std::uint8_t>(i & 0xE0);
    }
    for (const auto *tables : {input_only.data(), output_only.data()}) {
        World world(Kind::Srgb, Kind::Cmyk, 0, tables);
        const auto expected = reference_match(tp.path(Kind::Srgb), Kind::Srgb,
                                              tp.path(Kind::Cmyk), Kind::Cmyk, 0, tables, pixels);
        EXPECT_EQ(match(world, Kind::Srgb, Kind::Cmyk, pixels, 1), expected);
    }
}

TEST(ColorMatchWorld, ComponentCountsFollowTheProfiles) {
    const struct {
        Kind src, dst;
        int in, out;
    } cases[] = {{Kind::Srgb, Kind::Cmyk, 3, 4},
                 {Kind::Cmyk, Kind::Gamma18Rgb, 4, 3},
                 {Kind::Gray, Kind::Srgb, 1, 3},
                 {Kind::Cmyk, Kind::Cmyk, 4, 4}};
    for (const auto &c : cases) {
        World w(c.src, c.dst, 0, nullptr);
        ASSERT_NE(w.id, 0u);
        EXPECT_EQ(SDKCMGetNumsOfInPixComp(w.id), c.in);
        EXPECT_EQ(SDKCMGetNumsOfOutPixComp(w.id), c.out);
    }
    EXPECT_EQ(SDKCMGetNumsOfInPixComp(0), 0);
    EXPECT_EQ(SDKCMGetNumsOfOutPixComp(0xFFFFFFF0u), 0);
}

TEST(ColorMatchWorld, CreationRefusesBadArguments) {
    OpenedProfile a(Kind::Srgb), b(Kind::Cmyk);
    ASSERT_EQ(a.result, 0);
    ASSERT_EQ(b.result, 0);
    EXPECT_EQ(SDKCMCreateColorWorld(-1, &a.id, 0, &b.id, nullptr), 0u);
    EXPECT_EQ(SDKCMCreateColorWorld(4, &a.id, 0, &b.id, nullptr), 0u);
    EXPECT_EQ(SDKCMCreateColorWorld(0, &a.id, 1, &b.id, nullptr), 0u);
    EXPECT_EQ(SDKCMCreateColorWorld(0, nullptr, 0, &b.id, nullptr), 0u);
    EXPECT_EQ(SDKCMCreateColorWorld(0, &a.id, 0, nullptr, nullptr), 0u);
    std::uint32_t unknown = 0x7FFFFFF1u, zero = 0;
    EXPECT_EQ(SDKCMCreateColorWorld(0, &unknown, 0, &b.id, nullptr), 0u);
    EXPECT_EQ(SDKCMCreateColorWorld(0, &a.id, 0, &zero, nullptr), 0u);
}

TEST(ColorMatchWorld, WorldOutlivesItsProfilesAndDisposesOnce) {
    const TestProfiles &tp = test_profiles();
    auto tables = shaped_tables();
    std::uint32_t world;
    {
        OpenedProfile a(Kind::Srgb), b(Kind::Gamma18Rgb);
        world = SDKCMCreateColorWorld(2, &a.id, 0, &b.id, tables.data());
        ASSERT_NE(world, 0u);
    }
    tables.assign(tables.size(), 0); // the world keeps its own copy
    std::vector<std::uint8_t> px = test_pixels(3, 100, 3), out(px.size());
    tzcm_pixmap s = pixmap(px.data(), 1, int(px.size() / 3), 3, 3);
    tzcm_pixmap d = pixmap(out.data(), 1, int(px.size() / 3), 3, 3);
    ASSERT_EQ(SDKCMMatchPixelMap(world, &s, &d), 0);
    const auto shaped = shaped_tables();
    EXPECT_EQ(out, reference_match(tp.path(Kind::Srgb), Kind::Srgb, tp.path(Kind::Gamma18Rgb),
                                   Kind::Gamma18Rgb, 2, shaped.data(), px));

    EXPECT_EQ(SDKCMDisposeColorWorld(world), 0);
    EXPECT_NE(SDKCMDisposeColorWorld(world), 0);
    EXPECT_NE(SDKCMDisposeColorWorld(0), 0);
    EXPECT_NE(SDKCMMatchPixelMap(world, &s, &d), 0);
}
