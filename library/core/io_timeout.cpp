#include "io_timeout.h"

#include <cstdio>
#include <cstdlib>

namespace tz::lib {
namespace {

constexpr char kVariable[] = "TZ5170_IO_TIMEOUT_MS";

uint32_t timeout_from_environment() {
    const char* text = std::getenv(kVariable);
    if (text == nullptr || *text == '\0') return kDefaultIoTimeoutMs;
    std::optional<uint32_t> value = parse_io_timeout_ms(text);
    if (value) return *value;
    std::fprintf(stderr, "libTZ5170upgrade: %s=\"%.40s\" is not a time limit of 1 to %u ms; using %u ms\n", kVariable,
                 text, kLongestIoTimeoutMs, kDefaultIoTimeoutMs);
    return kDefaultIoTimeoutMs;
}

}  // namespace

std::optional<uint32_t> parse_io_timeout_ms(const char* text) {
    if (text == nullptr || *text == '\0') return std::nullopt;
    uint64_t value = 0;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9') return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(*c - '0');
        if (value > kLongestIoTimeoutMs) return std::nullopt;
    }
    if (value == 0) return std::nullopt;
    return static_cast<uint32_t>(value);
}

uint32_t io_timeout_ms() {
    static const uint32_t limit = timeout_from_environment();
    return limit;
}

}  // namespace tz::lib
