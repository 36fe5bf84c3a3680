// A colour world: the precomputed LittleCMS transforms that take 8-bit
// interleaved pixels of the source profile's colour space to the
// destination's, with the five byte curves of the curve block around them.
//
// The curves are carried out by LittleCMS as well, as curve-only device links
// in front of and behind the ICC transform:
//   input_curves   block 0 on every input channel,
//   icc            the transform LittleCMS builds for the two profiles and the
//                  intent, with no flags (the very transform a caller gets from
//                  cmsCreateTransform with the same arguments),
//   output_curves  one table per output channel: block 1+c then block 4 for
//                  channels 0..2, block 4 alone for the others.
// Each curve device link is built with 256-point tabulated tone curves and
// evaluated unoptimised; 8-bit level i then lands exactly on curve node i, so
// the world gives bit for bit the result of applying the curves by hand
// around the ICC transform. A curve stage that is the identity is left out,
// so with identity curves matching is the ICC transform alone.
#pragma once

#include "lcms.h"

#include <cstdint>
#include <memory>

namespace tzcm {

inline constexpr int kCurveSize = 256;
inline constexpr int kCurveCount = 5;

struct ColorWorld {
    int in_channels = 0;
    int out_channels = 0;
    TransformPtr input_curves;  // null when block 0 is the identity
    TransformPtr icc;
    TransformPtr output_curves; // null when all output tables are the identity
};

// Builds a world. `intent` must be 0..3 (perceptual, relative colorimetric,
// saturation, absolute colorimetric); `curves` is 5 x 256 bytes or null for
// identity curves. Null if the profiles cannot be combined (unknown colour
// space, more than 15 channels, LittleCMS refuses the pair) or on lack of
// memory. The caller keeps the profiles from being used elsewhere meanwhile.
std::shared_ptr<ColorWorld> build_color_world(int intent, cmsHPROFILE src, cmsHPROFILE dst,
                                              const std::uint8_t *curves) noexcept;

} // namespace tzcm
