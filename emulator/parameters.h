// The printer's numbered parameters: which numbers exist, their ranges and
// factory values.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace tz::emulator {

struct ParameterSpec {
    uint8_t number;
    int64_t minimum;
    int64_t maximum;
    int32_t factory;
    const char* meaning;
};

std::span<const ParameterSpec> parameter_table();
std::optional<ParameterSpec> find_parameter(uint8_t number);

}  // namespace tz::emulator
