#include "mtf_kernel.h"

#include <cstddef>
#include <cstdint>

namespace tz::lib {

uint16_t kernel_mask(const int32_t* coefficients) {
    uint16_t mask = 0;
    for (int n = 0; n < MtfKernel::kSize; ++n)
        if (coefficients[n] != 0) mask = static_cast<uint16_t>(mask | (1u << n));
    return mask;
}

void set_kernel(MtfKernel& kernel, const int32_t* coefficients) {
    kernel = MtfKernel::identity();
    if (coefficients == nullptr) return;
    const uint16_t mask = kernel_mask(coefficients);
    if (mask != MtfKernel::kCentreBit || coefficients[4] != MtfKernel::kUnity) {
        for (int n = 0; n < MtfKernel::kSize; ++n) kernel.k[static_cast<size_t>(n)] = coefficients[n];
        kernel.enabled = true;
    }
    kernel.mask = mask;
}

}  // namespace tz::lib
