// The sum of a run of bytes as a 32-bit value that wraps.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tz::lib {

uint32_t byte_sum(const uint8_t* bytes, size_t size);

}  // namespace tz::lib
