// The profile header as handed to callers: the 128-byte ICC header with its
// numeric fields in host byte order.
#pragma once

#include <cstdint>

namespace tzcm {

// Converts the file's big-endian header into host order, `raw` and `out`
// being 128 bytes each (they may be the same buffer).
//
// Bytes 0..83 are taken as 21 consecutive 32-bit words and each word is put
// into host order. That covers every numeric field of the ICC header layout:
//   0 size, 4 preferred CMM, 8 version, 12 device class, 16 data colour
//   space, 20 connection space, 24..35 date and time (read as three 32-bit
//   words), 36 'acsp' signature, 40 platform, 44 flags, 48 manufacturer,
//   52 model, 56..63 device attributes (two 32-bit words), 64 rendering
//   intent, 68..79 illuminant X, Y, Z (s15.16), 80 creator.
// Bytes 84..99 (profile ID) and 100..127 (reserved) stay as they are: the
// profile ID is an MD5 digest, a byte string rather than a number.
// So on a little-endian host the colour space of an RGB profile reads as the
// uint32 0x52474220 ('RGB ') at byte 16.
void header_to_host_order(const std::uint8_t *raw, std::uint8_t *out) noexcept;

} // namespace tzcm
