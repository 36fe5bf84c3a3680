#include "parameters.h"

#include <array>
#include <cstdint>
#include <limits>

namespace tz::emulator {
namespace {

constexpr int64_t kU16 = 0xFFFF;
constexpr int64_t kI32Min = std::numeric_limits<int32_t>::min();
constexpr int64_t kI32Max = std::numeric_limits<int32_t>::max();

constexpr std::array<ParameterRule, 20> kParameters = {{
    {0x11, 0, kU16, 1000, "print speed"},
    {0x12, 0, kU16, 0, "paper feed adjustment"},
    {0x13, 0, kU16, 0, "cut position adjustment"},
    {0x14, 0, kU16, 0, "margin adjustment"},
    {0x41, 0, kU16, 100, "yellow density"},
    {0x42, 0, kU16, 100, "magenta density"},
    {0x43, 0, kU16, 100, "cyan density"},
    {0x81, -128, 127, 0, "yellow balance"},
    {0x82, -128, 127, 0, "magenta balance"},
    {0x83, -128, 127, 0, "cyan balance"},
    {0x84, kI32Min, kI32Max, 0, "overcoat setting"},
    {0x8E, -50, 50, -10, "density Low PAN"},
    {0x8F, -50, 50, 0, "density YMC PAN"},
    {0x91, 0, kU16, 0, "head resistance Y"},
    {0x92, 0, kU16, 0, "head resistance M"},
    {0x93, 0, kU16, 0, "head resistance C"},
    {0xF1, kI32Min, kI32Max, 0, "service value 1"},
    {0xF2, kI32Min, kI32Max, 0, "service value 2"},
    {0xF3, kI32Min, kI32Max, 0, "service value 3"},
    {0xF4, kI32Min, kI32Max, 0, "service value 4"},
}};

}  // namespace

std::span<const ParameterRule> parameter_table() { return kParameters; }

std::optional<ParameterRule> find_parameter(uint8_t number) {
    for (const ParameterRule& rule : kParameters)
        if (rule.number == number) return rule;
    return std::nullopt;
}

}  // namespace tz::emulator
