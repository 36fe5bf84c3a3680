#include "profile_header.h"

#include <cstring>

namespace tzcm {
namespace {

constexpr std::size_t kHeaderSize = 128;
constexpr std::size_t kNumericEnd = 84; // profile ID starts here

} // namespace

void header_to_host_order(const std::uint8_t *raw, std::uint8_t *out) noexcept {
    std::uint8_t header[kHeaderSize];
    std::memcpy(header, raw, kHeaderSize);
    for (std::size_t at = 0; at < kNumericEnd; at += 4) {
        const std::uint32_t value = (std::uint32_t{header[at]} << 24) |
                                    (std::uint32_t{header[at + 1]} << 16) |
                                    (std::uint32_t{header[at + 2]} << 8) |
                                    std::uint32_t{header[at + 3]};
        std::memcpy(header + at, &value, sizeof value); // host order
    }
    std::memcpy(out, header, kHeaderSize);
}

} // namespace tzcm
