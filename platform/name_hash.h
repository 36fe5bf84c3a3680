// A 64-bit hash of a name (FNV-1a), for the system objects whose names must
// be shortened or cleaned: distinct names keep distinct objects.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tz::platform {

inline uint64_t fnv1a64(std::string_view text) {
    uint64_t hash = 0xcbf29ce484222325ull;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 0x100000001b3ull;
    }
    return hash;
}

// The hash as 16 lower-case hexadecimal digits.
inline std::string hash_text(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    const uint64_t hash = fnv1a64(text);
    std::string digits;
    for (int shift = 60; shift >= 0; shift -= 4) digits.push_back(kHex[(hash >> shift) & 0xF]);
    return digits;
}

}  // namespace tz::platform
