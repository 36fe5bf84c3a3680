// bench_image_converter: the write path's pixel conversion on one 2464 x 3720
// RGB page, single-threaded, each mode against a baseline measured in the
// same run on the same chunks:
//   Plain            memcpy of the chunks into a work buffer
//   Plain, swapped   the same copy followed by a byte-by-byte exchange loop
//   OutputLookup     a byte-by-byte table loop
//   Sharpen          a straightforward scalar loop of the same arithmetic
//   ColorMatch       LittleCMS called directly on the same chunks with the
//                    transform the colour library builds (same profiles,
//                    intent 0, no flags)
// Every figure is the best of the runs, without the cost of the stream behind
// the converter (the transfer stream's copy is not the converter's); one more
// run of each collects the page, checked against its baseline's output.
//
// Usage: bench_image_converter [--runs N]   (default 5)
#include <hwy/targets.h>
#include <lcms2.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "image/color_binding.h"
#include "image/image_converter.h"

namespace {

using tz::lib::ImageConverter;
using Bytes = std::vector<uint8_t>;

constexpr uint16_t kWidth = 2464;
constexpr uint16_t kHeight = 3720;
constexpr uint32_t kLine = kWidth * 3;
constexpr size_t kPage = size_t{kLine} * kHeight;
constexpr uint32_t kChunkLines = ImageConverter::kWorkBufferSize / kLine;

int g_runs = 5;

// Takes the converted bytes as the transfer stream would; collects the page
// only in the checking run, so that the timed runs measure the conversion.
struct PageSink final : tz::lib::PixelSink {
    bool put(const uint8_t* data, uint32_t count) override {
        if (keep) std::memcpy(page.data() + at, data, count);
        at += count;
        return true;
    }
    Bytes page = Bytes(kPage);
    size_t at = 0;
    bool keep = false;
};

struct NoMatcher final : tz::lib::BlockMatcher {
    bool ready() const override { return false; }
    bool match(uint8_t*, int32_t, int32_t, int) override { return false; }
};

// The colour library's world, matched through the write path's call.
struct WorldMatcher final : tz::lib::BlockMatcher {
    bool ready() const override { return true; }
    bool match(uint8_t* block, int32_t width, int32_t lines, int channels) override {
        return tz::lib::match_block(*api, world, block, width, lines, channels);
    }
    const tz::lib::ColorApi* api = nullptr;
    uint32_t world = 0;
};

double best_seconds(const std::function<void()>& body) {
    double best = 1e30;
    for (int run = 0; run < g_runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        body();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

// The page through a converter in one write per chunk-sized piece.
struct Setup {
    tz::lib::PageImage image;
    tz::lib::ConversionTables tables;
    tz::lib::MtfKernel kernel;
    NoMatcher none;
    PageSink sink;
};

double convert(Setup& s, tz::lib::BlockMatcher& matcher, uint16_t format, const Bytes& page) {
    ImageConverter converter(s.image, s.tables, s.kernel, matcher, s.sink);
    if (!converter.allocate()) std::exit(1);
    s.image.width = kWidth;
    s.image.height = kHeight;
    s.image.format = format;
    auto one_page = [&] {
        s.image.lines_processed = 0;
        s.sink.at = 0;
        converter.start_page();
        uint32_t taken = 0;
        if (!converter.write(page.data(), static_cast<uint32_t>(page.size()), taken)) std::exit(1);
    };
    s.sink.keep = false;
    const double seconds = best_seconds(one_page);
    s.sink.keep = true;
    one_page();
    return seconds;
}

// The baselines: the same chunks into a work buffer, then `work` on each.
double baseline(const Bytes& page, Bytes& out, const std::function<void(uint8_t*, uint32_t)>& work) {
    Bytes buffer(ImageConverter::kWorkBufferSize);
    bool keep = false;
    auto one_page = [&] {
        for (size_t at = 0; at < page.size(); at += size_t{kChunkLines} * kLine) {
            const uint32_t bytes = static_cast<uint32_t>(std::min<size_t>(page.size() - at, size_t{kChunkLines} * kLine));
            std::memcpy(buffer.data(), page.data() + at, bytes);
            work(buffer.data(), bytes);
            if (keep) std::memcpy(out.data() + at, buffer.data(), bytes);
        }
    };
    const double seconds = best_seconds(one_page);
    keep = true;
    one_page();
    return seconds;
}

void check(const char* what, const Bytes& a, const Bytes& b) {
    if (a != b) {
        std::printf("MISMATCH in %s\n", what);
        std::exit(1);
    }
}

void report(const char* name, double seconds, const char* baseline_name, double baseline_seconds) {
    const double gbs = kPage / seconds / 1e9;
    const double mps = double{kWidth} * kHeight / seconds / 1e6;
    std::printf("%-22s %7.2f GB/s %8.0f Mpixel/s | %-34s %7.2f GB/s | ratio %5.2fx\n", name, gbs, mps, baseline_name,
                kPage / baseline_seconds / 1e9, baseline_seconds / seconds);
}

// Straightforward sharpening: a white-framed copy of the page, then every
// byte's nine products summed, divided by 100 and limited.
void scalar_sharpen(const Bytes& page, Bytes& out, const std::array<int32_t, 9>& k) {
    const size_t stride = (kWidth + 2) * 3;
    static Bytes framed;
    framed.assign(stride * (kHeight + 2), 0xFF);
    for (size_t y = 0; y < kHeight; ++y) std::memcpy(&framed[(y + 1) * stride + 3], &page[y * kLine], kLine);
    for (size_t y = 0; y < kHeight; ++y) {
        const uint8_t* above = &framed[y * stride + 3];
        const uint8_t* row = above + stride;
        const uint8_t* below = row + stride;
        uint8_t* o = &out[y * kLine];
        for (size_t i = 0; i < kLine; ++i) {
            const int32_t sum = k[0] * above[i - 3] + k[1] * above[i] + k[2] * above[i + 3] + k[3] * row[i - 3] +
                                k[4] * row[i] + k[5] * row[i + 3] + k[6] * below[i - 3] + k[7] * below[i] +
                                k[8] * below[i + 3];
            const int32_t v = sum / 100;
            o[i] = static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
        }
    }
}

std::string save(cmsHPROFILE profile, const std::filesystem::path& path) {
    cmsSaveProfileToFile(profile, path.c_str());
    cmsCloseProfile(profile);
    return path.string();
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0) g_runs = std::max(1, std::atoi(argv[i + 1]));
    }
    std::mt19937 random(5170);
    Bytes page(kPage);
    for (auto& b : page) b = static_cast<uint8_t>(random());
    Bytes expected(kPage);
    std::printf("page %ux%u RGB (%.1f MB), chunks of %u lines, best of %d runs\n", kWidth, kHeight, kPage / 1e6,
                kChunkLines, g_runs);

    {
        Setup s;
        const double copy = baseline(page, expected, [](uint8_t*, uint32_t) {});
        report("Plain", convert(s, s.none, 3, page), "memcpy into the work buffer", copy);
        check("Plain", s.sink.page, expected);
        const double swap = baseline(page, expected, [](uint8_t* p, uint32_t bytes) {
            for (uint32_t i = 0; i < bytes; i += 3) std::swap(p[i], p[i + 2]);
        });
        report("Plain, swapped", convert(s, s.none, 4, page), "memcpy + scalar byte exchange", swap);
        check("Plain, swapped", s.sink.page, expected);
    }
    {
        Setup s;
        for (int c = 0; c < 3; ++c) {
            for (int i = 0; i < 256; ++i) s.tables.output.t[c][i] = static_cast<uint8_t>((255 - i) ^ (c * 37));
        }
        const auto& t = s.tables.output.t;
        const double lookup = baseline(page, expected, [&](uint8_t* p, uint32_t bytes) {
            for (uint32_t i = 0; i < bytes; ++i) p[i] = t[i % 3][p[i]];
        });
        report("OutputLookup", convert(s, s.none, 3, page), "scalar table loop", lookup);
        check("OutputLookup", s.sink.page, expected);
    }
    for (const auto& k : {std::array<int32_t, 9>{0, -10, 0, -10, 140, -10, 0, -10, 0},
                          std::array<int32_t, 9>{-5, -10, -5, -10, 160, -10, -5, -10, -5}}) {
        Setup s;
        tz::lib::set_kernel(s.kernel, k.data());
        const double scalar = best_seconds([&] { scalar_sharpen(page, expected, k); });
        report(s.kernel.mask & 0x145 ? "Sharpen, nine terms" : "Sharpen, five terms", convert(s, s.none, 3, page),
               "straightforward scalar loop", scalar);
        check("Sharpen", s.sink.page, expected);
        for (int64_t target : hwy::SupportedAndGeneratedTargets()) {
            hwy::SetSupportedTargetsForTest(target);
            const double seconds = convert(s, s.none, 3, page);
            std::printf("  on %-8s %8.0f Mpixel/s\n", hwy::TargetName(target), double{kWidth} * kHeight / seconds / 1e6);
        }
        hwy::SetSupportedTargetsForTest(0);
    }
    {
        // sRGB to a wide-gamut gamma-1.8 RGB, through the colour library.
        const auto folder = std::filesystem::temp_directory_path() / ("tz5170-bench-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(folder);
        const std::string srgb = save(cmsCreate_sRGBProfile(), folder / "srgb.icc");
        cmsCIExyYTRIPLE primaries = {{0.7347, 0.2653, 1.0}, {0.1596, 0.8404, 1.0}, {0.0366, 0.0001, 1.0}};
        cmsToneCurve* gamma = cmsBuildGamma(nullptr, 1.8);
        cmsToneCurve* curves[3] = {gamma, gamma, gamma};
        const std::string wide = save(cmsCreateRGBProfile(cmsD50_xyY(), &primaries, curves), folder / "wide.icc");
        cmsFreeToneCurve(gamma);

        tz::lib::ColorBinding binding;
        if (!binding.load()) {
            std::printf("colour library not found\n");
            return 1;
        }
        const auto& api = binding.api();
        uint32_t source = 0, target = 0;
        std::array<uint8_t, 5 * 256> identity{};
        for (size_t i = 0; i < identity.size(); ++i) identity[i] = static_cast<uint8_t>(i);
        if (api.OpenProfile(srgb.c_str(), &source) != 0 || api.OpenProfile(wide.c_str(), &target) != 0) return 1;
        WorldMatcher matcher;
        matcher.api = &api;
        matcher.world = api.CreateColorWorld(0, &source, 0, &target, identity.data());
        if (matcher.world == 0) return 1;

        cmsHPROFILE in = cmsOpenProfileFromFile(srgb.c_str(), "r");
        cmsHPROFILE out = cmsOpenProfileFromFile(wide.c_str(), "r");
        cmsHTRANSFORM direct = cmsCreateTransform(in, TYPE_RGB_8, out, TYPE_RGB_8, 0, 0);
        const double lcms = baseline(page, expected, [&](uint8_t* p, uint32_t bytes) {
            cmsDoTransform(direct, p, p, bytes / 3);
        });
        Setup s;
        report("ColorMatch", convert(s, matcher, 3, page), "LittleCMS directly", lcms);
        check("ColorMatch", s.sink.page, expected);
        cmsDeleteTransform(direct);
        cmsCloseProfile(in);
        cmsCloseProfile(out);
        api.DisposeColorWorld(matcher.world);
        api.CloseProfile(&source);
        api.CloseProfile(&target);
        std::filesystem::remove_all(folder);
    }
    return 0;
}
