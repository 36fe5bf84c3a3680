// One part image built in memory: valid by default, with the faults a tester
// asks for. The body is pseudo-random (splitmix64 from the seed), so that
// images differ and their sums mean something; the header block is zero but
// for the identifier and the version.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image_layout.h"

namespace tz::firmware {

struct ImageRequest {
    Part part = Part::Main;
    uint8_t major = 0, minor = 0;
    size_t size = 0;
    uint64_t seed = 0;
    bool bad_identifier = false;
    bool bad_first_byte = false;
    int bad_version_digit = 0;  // 1..4, 0: none
};

// Without a seed of the caller's: one seed per part and version.
uint64_t default_seed(Part part, uint8_t major, uint8_t minor);

std::vector<uint8_t> build_image(const ImageRequest& request);

}  // namespace tz::firmware
