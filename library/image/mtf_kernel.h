// The host-side sharpening kernel the write path applies, and how it is set.
#pragma once

#include <array>
#include <cstdint>

namespace tz::lib {

// Nine coefficients in hundredths, row by row: k0 k1 k2 for the previous
// line (left, same, right pixel), k3 k4 k5 for the current line, k6 k7 k8 for
// the next line. The mask has bit n set when kn is not 0.
struct MtfKernel {
    static constexpr int kSize = 9;
    static constexpr int32_t kUnity = 100;  // k4 of the identity
    static constexpr uint16_t kCentreBit = 1u << 4;

    std::array<int32_t, kSize> k{0, 0, 0, 0, kUnity, 0, 0, 0, 0};
    bool enabled = false;
    uint16_t mask = 0;  // nine bits

    // The identity, disabled, with mask 0: how a context starts.
    static MtfKernel identity() { return {}; }
};

// The nine-bit mask of the non-zero coefficients.
uint16_t kernel_mask(const int32_t* coefficients);

// Installs `coefficients` (nine, or null for the identity). The identity
// itself leaves sharpening off.
void set_kernel(MtfKernel& kernel, const int32_t* coefficients);

}  // namespace tz::lib
