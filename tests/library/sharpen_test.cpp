// The sharpening arithmetic on every instruction set the library carries:
// literal rows, and the vector rows against the byte-by-byte reference on
// random kernels, widths and pixels.
#include <gtest/gtest.h>

#include <hwy/targets.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "image/sharpen.h"

namespace {

using tz::lib::MtfKernel;
using tz::lib::set_kernel;
using tz::lib::SharpenPlan;

SharpenPlan plan_of(std::array<int32_t, 9> k) {
    MtfKernel kernel;
    set_kernel(kernel, k.data());
    return tz::lib::make_sharpen_plan(kernel);
}

// A row of `bytes` bytes with `step` bytes of white before and after it.
struct Row {
    Row(size_t bytes, size_t step, uint8_t fill) : step(step), data(bytes + 2 * step, 0xFF) {
        std::fill(data.begin() + step, data.end() - step, fill);
    }
    uint8_t* at() { return data.data() + step; }
    size_t step;
    std::vector<uint8_t> data;
};

// Runs `body` once for every instruction set compiled in and present here
// (once, for a build that compiles in only the one it was built for).
template <class Body>
void on_every_target(Body body) {
#if HWY_COMPILE_ONLY_STATIC
    body();
#else
    for (int64_t target : hwy::SupportedAndGeneratedTargets()) {
        hwy::SetSupportedTargetsForTest(target);
        SCOPED_TRACE(hwy::TargetName(target));
        body();
    }
    hwy::SetSupportedTargetsForTest(0);
#endif
}

// 64 one-channel pixels; every row holds `value` except for the white margins.
std::vector<uint8_t> flat_rows(const SharpenPlan& plan, uint8_t above, uint8_t value, uint8_t below) {
    Row prev(64, 1, above), cur(64, 1, value), next(64, 1, below);
    std::vector<uint8_t> out(64);
    tz::lib::sharpen_row(plan, prev.at(), cur.at(), next.at(), 64, 1, out.data());
    return out;
}

TEST(Sharpen, LiteralRowsOnEveryTarget) {
    on_every_target([] {
        // Five terms: -10 above, left, right and below, 140 in the middle.
        const SharpenPlan five = plan_of({0, -10, 0, -10, 140, -10, 0, -10, 0});
        EXPECT_FALSE(five.nine_terms);
        auto out = flat_rows(five, 50, 50, 50);
        EXPECT_EQ(out[0], 29);   // 140*50 - 10*(50+255+50+50) = 2950
        EXPECT_EQ(out[1], 50);   // flat: 100*50
        EXPECT_EQ(out[62], 50);
        EXPECT_EQ(out[63], 29);  // white on the right
        out = flat_rows(five, 255, 60, 0);  // 140*60 - 10*(255+60+60+0) = 4650
        EXPECT_EQ(out[30], 46);
        // A corner coefficient brings in all nine terms: 10*255 + 100*100.
        const SharpenPlan corner = plan_of({10, 0, 0, 0, 100, 0, 0, 0, 0});
        EXPECT_TRUE(corner.nine_terms);
        EXPECT_EQ(flat_rows(corner, 100, 100, 7)[0], 125);  // left above is the margin: 12550
        EXPECT_EQ(flat_rows(corner, 100, 100, 7)[9], 110);  // 11000
        // Nine terms, all neighbours at once: 900*v/100 - 8*100*v/100 = v.
        const SharpenPlan nine = plan_of({-100, -100, -100, -100, 900, -100, -100, -100, -100});
        EXPECT_EQ(flat_rows(nine, 40, 40, 40)[20], 40);
        EXPECT_EQ(flat_rows(nine, 40, 41, 40)[20], 47);  // 900*41 - 100*(6*40 + 2*41) = 4700
        // Limits: above 255 stores 255, below 0 stores 0; -150 / 100 is -1: 0.
        const SharpenPlan strong = plan_of({0, 0, 0, 0, 200, 0, 0, 0, 0});
        EXPECT_EQ(flat_rows(strong, 0, 200, 0)[5], 255);
        EXPECT_EQ(flat_rows(strong, 0, 127, 0)[5], 254);  // 25400
        EXPECT_EQ(flat_rows(strong, 0, 128, 0)[5], 255);  // 25600
        const SharpenPlan negative = plan_of({0, 0, 0, 0, -150, 0, 0, 0, 0});
        EXPECT_EQ(flat_rows(negative, 0, 1, 0)[5], 0);
        EXPECT_EQ(flat_rows(negative, 0, 255, 0)[5], 0);
        const SharpenPlan half = plan_of({0, 0, 0, 0, 150, 0, 0, 0, 0});
        EXPECT_EQ(flat_rows(half, 0, 1, 0)[5], 1);  // 150 / 100
        EXPECT_EQ(flat_rows(half, 0, 3, 0)[5], 4);  // 450 / 100
        // Sums beyond 32 bits are exact: 2147483647 * 2 gives 255, 2^31 * -2 gives 0,
        // and the two together cancel to 2147483647*3 - 2147483648*3 = -3: 0.
        const SharpenPlan huge = plan_of({0, 0, 0, 0, INT32_MAX, 0, 0, 0, 0});
        EXPECT_FALSE(huge.fits_32_bits);
        EXPECT_EQ(flat_rows(huge, 0, 2, 0)[5], 255);
        EXPECT_EQ(flat_rows(plan_of({0, 0, 0, 0, INT32_MIN, 0, 0, 0, 0}), 0, 2, 0)[5], 0);
        EXPECT_EQ(flat_rows(plan_of({0, INT32_MIN, 0, 0, INT32_MAX, 0, 0, 0, 0}), 3, 3, 0)[5], 0);
        EXPECT_EQ(flat_rows(plan_of({0, INT32_MIN, 0, 0, INT32_MAX, 0, 0, 0, 0}), 0, 3, 0)[5], 255);
    });
}

TEST(Sharpen, VectorRowsEqualReferenceOnRandomKernels) {
    std::mt19937 random(5170);
    // Coefficient ranges: small kernels as hosts use them, sums that stay near
    // the limits, 16-bit coefficients, and 32-bit ones beyond the vector path.
    const std::array<int32_t, 5> ranges{3, 160, 1200, 32767, INT32_MAX};
    std::vector<size_t> widths{1, 2, 3, 4, 5, 7, 8, 15, 16, 17, 31, 32, 33, 63, 64, 65, 4095, 4096};
    for (int i = 0; i < 30; ++i) widths.push_back(1 + random() % 4096);
    on_every_target([&] {
        for (size_t width : widths) {
            for (size_t step : {1u, 3u, 4u}) {
                const int32_t range = ranges[random() % ranges.size()];
                std::uniform_int_distribution<int32_t> coefficient(-range, range);
                std::array<int32_t, 9> k{};
                for (auto& c : k) c = random() % 3 == 0 ? 0 : coefficient(random);
                if (random() % 2) k[0] = k[2] = k[6] = k[8] = 0;
                if (random() % 4 == 0) k[4] = static_cast<int32_t>(std::clamp<int64_t>(100 + int64_t{coefficient(random)}, INT32_MIN, INT32_MAX));  // mostly positive sums
                const SharpenPlan plan = plan_of(k);
                const size_t bytes = width * step;
                Row prev(bytes, step, 0), cur(bytes, step, 0), next(bytes, step, 0);
                for (Row* row : {&prev, &cur, &next}) {
                    for (size_t b = 0; b < bytes; ++b) row->at()[b] = static_cast<uint8_t>(random());
                }
                std::vector<uint8_t> fast(bytes + 1, 0xA5), reference(bytes + 1, 0xA5);
                tz::lib::sharpen_row(plan, prev.at(), cur.at(), next.at(), bytes, step, fast.data());
                tz::lib::sharpen_row_reference(plan, prev.at(), cur.at(), next.at(), bytes, step, reference.data());
                ASSERT_EQ(fast, reference) << "width " << width << " step " << step << " range " << range;
            }
        }
    });
}

// Kernels whose sums just fit, or just miss, a span of 65536 values, at
// the extremes of every row.
TEST(Sharpen, VectorRowsEqualReferenceAtTheSixteenBitBoundary) {
    const std::array<std::array<int32_t, 9>, 6> kernels{{
        {0, 0, 0, 0, 257, 0, 0, 0, 0},
        {0, 0, 0, 0, -257, 0, 0, 0, 0},
        {0, -10, 0, -10, 197, -10, 0, -10, 0},
        {0, -10, 0, -10, 198, -10, 0, -10, 0},
        {-1, -128, -1, -1, 100, -1, -1, -1, -23},
        {29, -28, 28, -28, 28, -28, 29, -29, 30},
    }};
    std::mt19937 random(257);
    on_every_target([&] {
        for (const auto& k : kernels) {
            const SharpenPlan plan = plan_of(k);
            for (size_t step : {1u, 3u, 4u}) {
                const size_t bytes = 1000 * step;
                Row prev(bytes, step, 0), cur(bytes, step, 0), next(bytes, step, 0);
                for (Row* row : {&prev, &cur, &next}) {
                    for (size_t b = 0; b < bytes; ++b) {
                        const uint32_t r = random();
                        row->at()[b] = r % 3 == 0 ? 0 : r % 3 == 1 ? 255 : static_cast<uint8_t>(r >> 8);
                    }
                }
                std::vector<uint8_t> fast(bytes), reference(bytes);
                tz::lib::sharpen_row(plan, prev.at(), cur.at(), next.at(), bytes, step, fast.data());
                tz::lib::sharpen_row_reference(plan, prev.at(), cur.at(), next.at(), bytes, step, reference.data());
                ASSERT_EQ(fast, reference) << "k4 " << k[4] << " step " << step;
            }
        }
    });
}

}  // namespace
