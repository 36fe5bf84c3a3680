// An open ICC profile: the LittleCMS profile object plus the first 128 bytes
// of the file, kept as read (big-endian) for the header query.
#pragma once

#include "lcms.h"

#include <array>
#include <cstdint>
#include <memory>

namespace tzcm {

inline constexpr std::size_t kHeaderSize = 128;
// Larger files are refused rather than read into memory.
inline constexpr std::size_t kMaxProfileSize = 64u << 20;

struct Profile {
    ProfilePtr handle;
    std::array<std::uint8_t, kHeaderSize> raw_header{};
};

struct ProfileLoad {
    int result = 0;                 // TZCM_OK or a TZCM_E_ value
    std::shared_ptr<Profile> profile;
};

// Reads and parses a profile file. Refuses files that cannot be read, are
// larger than kMaxProfileSize, are shorter than the size their header
// declares (truncated), or that LittleCMS does not accept as a profile.
ProfileLoad load_profile(const char *path) noexcept;

} // namespace tzcm
