// The project's own test chart: what a print of it shows makes colour,
// geometry and orientation faults visible at a glance.
#pragma once

#include "photo_loader.h"

namespace tz::ctl {

inline constexpr int kChartSmallestSide = 200;
inline constexpr int kChartLargestSide = 8192;

// A chart of `width` x `height` pixels (each kChartSmallestSide ..
// kChartLargestSide): a black frame at the very edge, a solid triangle in the
// top left corner and an arrow pointing up at the top centre; patches of the
// primaries, secondaries, black and white; an eleven-step grey ramp; smooth
// red, green, blue and grey gradients, dark on the left; a circle with an
// upright letter F in it; groups of fine lines 1, 2 and 3 pixels apart.
RgbImage make_test_chart(int width, int height);

}  // namespace tz::ctl
