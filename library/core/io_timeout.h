// The time limit of the library's transfers: 60000 ms, or the value of
// TZ5170_IO_TIMEOUT_MS, which tests and impatient hosts set shorter.
#pragma once

#include <cstdint>
#include <optional>

namespace tz::lib {

inline constexpr uint32_t kDefaultIoTimeoutMs = 60000;
inline constexpr uint32_t kLongestIoTimeoutMs = 600000;

// A limit written as decimal digits only, 1 .. 600000; nothing otherwise.
std::optional<uint32_t> parse_io_timeout_ms(const char* text);

// The limit in force, read once per process. An invalid value is named in one
// line on stderr, and the default is used.
uint32_t io_timeout_ms();

}  // namespace tz::lib
