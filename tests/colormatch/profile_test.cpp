// Opening, closing and reading the header of profiles.
#include "cm_test_support.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace tzcm_test;

namespace {

std::uint32_t word_at(const std::uint8_t *header, int offset) {
    std::uint32_t v;
    std::memcpy(&v, header + offset, sizeof v);
    return v;
}

std::uint32_t big_endian_at(const std::vector<std::uint8_t> &bytes, int offset) {
    return (std::uint32_t{bytes[offset]} << 24) | (std::uint32_t{bytes[offset + 1]} << 16) |
           (std::uint32_t{bytes[offset + 2]} << 8) | bytes[offset + 3];
}

constexpr std::uint32_t kSentinel = 0xDEADBEEF;

} // namespace

TEST(ColorMatchProfile, HeaderOfRgbProfileHasHostOrderFields) {
    OpenedProfile p(Kind::Srgb);
    ASSERT_EQ(p.result, 0);
    ASSERT_NE(p.id, 0u);
    std::uint8_t header[128];
    ASSERT_EQ(SDKCMGetProfileHeader(&p.id, header), 0);

    EXPECT_EQ(word_at(header, 16), 0x52474220u); // 'RGB '
    EXPECT_EQ(word_at(header, 12), 0x6D6E7472u); // 'mntr'
    EXPECT_EQ(word_at(header, 20), 0x58595A20u); // 'XYZ '
    EXPECT_EQ(word_at(header, 36), 0x61637370u); // 'acsp'
    const auto file = read_bytes(test_profiles().path(Kind::Srgb));
    EXPECT_EQ(word_at(header, 0), file.size());
    // Every 32-bit field up to the profile ID is swapped, the ID and the
    // reserved bytes are copied as they are.
    for (int at = 0; at < 84; at += 4) {
        EXPECT_EQ(word_at(header, at), big_endian_at(file, at)) << "offset " << at;
    }
    EXPECT_EQ(std::memcmp(header + 84, file.data() + 84, 128 - 84), 0);
}

TEST(ColorMatchProfile, HeaderOfCmykProfileReadsCmyk) {
    OpenedProfile p(Kind::Cmyk);
    ASSERT_EQ(p.result, 0);
    std::uint8_t header[128];
    ASSERT_EQ(SDKCMGetProfileHeader(&p.id, header), 0);
    EXPECT_EQ(word_at(header, 16), 0x434D594Bu); // 'CMYK'
    EXPECT_EQ(word_at(header, 12), 0x70727472u); // 'prtr'
    EXPECT_EQ(word_at(header, 20), 0x4C616220u); // 'Lab '
    EXPECT_EQ(word_at(header, 8) >> 24, 4u);      // version 4.x
}

TEST(ColorMatchProfile, UnreadableOrInvalidFilesFailAndLeaveReferenceAlone) {
    const TestProfiles &tp = test_profiles();
    const auto srgb = read_bytes(tp.path(Kind::Srgb));
    std::vector<std::uint8_t> random_bytes(2000);
    for (std::size_t i = 0; i < random_bytes.size(); ++i) random_bytes[i] = std::uint8_t(i * 151 + 7);
    std::vector<std::uint8_t> wrong_magic = srgb;
    wrong_magic[36] = 'x';
    const std::vector<std::string> bad = {
        tp.folder.file("missing.icc"),
        tp.folder.file(""), // the folder itself
        tp.folder.write("empty.icc", {}),
        tp.folder.write("random.icc", random_bytes),
        tp.folder.write("half.icc", {srgb.begin(), srgb.begin() + srgb.size() / 2}),
        tp.folder.write("header-only.icc", {srgb.begin(), srgb.begin() + 128}),
        tp.folder.write("short.icc", {srgb.begin(), srgb.begin() + 100}),
        tp.folder.write("magic.icc", wrong_magic),
    };
    for (const auto &path : bad) {
        std::uint32_t id = kSentinel;
        EXPECT_NE(SDKCMOpenProfile(path.c_str(), &id), 0) << path;
        EXPECT_EQ(id, kSentinel) << path;
    }
    std::uint32_t id = kSentinel;
    EXPECT_NE(SDKCMOpenProfile(nullptr, &id), 0);
    EXPECT_EQ(id, kSentinel);
    EXPECT_NE(SDKCMOpenProfile(tp.path(Kind::Srgb).c_str(), nullptr), 0);
}

TEST(ColorMatchProfile, CloseInvalidatesTheReference) {
    OpenedProfile p(Kind::Gray);
    ASSERT_EQ(p.result, 0);
    std::uint32_t id = p.id;
    ASSERT_EQ(SDKCMCloseProfile(&id), 0);
    EXPECT_EQ(id, 0u);

    std::uint32_t stale = p.id;
    std::uint8_t header[128] = {};
    EXPECT_NE(SDKCMGetProfileHeader(&stale, header), 0);
    EXPECT_NE(SDKCMCloseProfile(&stale), 0); // second close
    EXPECT_EQ(stale, p.id);
    p.id = 0;

    std::uint32_t zero = 0;
    EXPECT_NE(SDKCMCloseProfile(&zero), 0);
    EXPECT_NE(SDKCMCloseProfile(nullptr), 0);
    EXPECT_NE(SDKCMGetProfileHeader(nullptr, header), 0);
    OpenedProfile q(Kind::Gray);
    EXPECT_NE(SDKCMGetProfileHeader(&q.id, nullptr), 0);
}

TEST(ColorMatchProfile, HandlesAreDistinctAcrossProfilesAndWorlds) {
    OpenedProfile a(Kind::Srgb), b(Kind::Srgb);
    ASSERT_EQ(a.result, 0);
    ASSERT_EQ(b.result, 0);
    EXPECT_NE(a.id, b.id);
    const std::uint32_t world = SDKCMCreateColorWorld(0, &a.id, 0, &b.id, nullptr);
    ASSERT_NE(world, 0u);
    EXPECT_NE(world, a.id);
    EXPECT_NE(world, b.id);
    // A handle of one kind is refused by the calls of the other.
    std::uint8_t header[128];
    std::uint32_t as_profile = world;
    EXPECT_NE(SDKCMGetProfileHeader(&as_profile, header), 0);
    EXPECT_EQ(SDKCMGetNumsOfInPixComp(a.id), 0);
    EXPECT_NE(SDKCMDisposeColorWorld(a.id), 0);
    EXPECT_EQ(SDKCMDisposeColorWorld(world), 0);
}

TEST(ColorMatchProfile, UnusedEntryPointsReportFailure) {
    EXPECT_NE(SDKCMCreatLUT(), 0);
    EXPECT_NE(SDKCMMatchPlaneMap(), 0);
    EXPECT_NE(SDKCMConvertColorWorldToIPB(), 0);
    EXPECT_NE(SDKCMGetPartialProfileElement(), 0);
}
