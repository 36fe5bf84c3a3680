// The printer's numbered parameters: which numbers exist, their ranges and
// factory values.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace tz::emulator {

struct ParameterRule {
    uint8_t number;
    int64_t minimum;
    int64_t maximum;
    int32_t factory;
    const char* meaning;
};

std::span<const ParameterRule> parameter_table();
std::optional<ParameterRule> find_parameter(uint8_t number);

}  // namespace tz::emulator
