// Matching an 8-bit interleaved pixel block through a colour world.
#pragma once

#include "color_world.h"
#include "colormatch/tzcm.h"

namespace tzcm {

// Checks both descriptors against the world and converts src into dst.
// Returns TZCM_OK, or without touching dst:
//   TZCM_E_ARGUMENT  null descriptor or data, width or lines <= 0, the two
//                    maps differ in width or lines, a row shorter than
//                    width x components, a block beyond the address space,
//                    or src and dst overlapping other than in place;
//   TZCM_E_MISMATCH  components differ from the world's in/out counts.
// In place means the same data pointer, no more output than input bytes per
// pixel and a destination row stride no larger than the source's; then every
// pixel is read before anything is written over it.
int match_pixel_map(const ColorWorld &world, const tzcm_pixmap *src, tzcm_pixmap *dst) noexcept;

} // namespace tzcm
