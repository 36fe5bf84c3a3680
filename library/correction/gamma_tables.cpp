#include "gamma_tables.h"

#include <algorithm>
#include <cmath>
#include <fstream>

namespace tz::lib {
namespace {

uint8_t gamma_entry(int i, double g, double top) {
    // 255^g beyond the double range (g above 128.09): the same curve, the
    // quotient taken before the power.
    double v = std::isfinite(top) ? 255.0 * (std::pow(static_cast<double>(i), g) / top)
                                  : 255.0 * std::pow(i / 255.0, g);
    v = std::clamp(std::trunc(v), 0.0, 255.0);
    return static_cast<uint8_t>(v);
}

}  // namespace

void make_gamma(int gamma_x100, uint8_t* t1, uint8_t* t2, uint8_t* t3) {
    const double g = static_cast<uint16_t>(gamma_x100) / 100.0;  // a 16-bit argument
    const double top = std::pow(255.0, g);
    for (int i = 0; i < static_cast<int>(kGammaTableSize); ++i) {
        const uint8_t v = gamma_entry(i, g, top);
        for (uint8_t* table : {t1, t2, t3})
            if (table != nullptr) table[i] = v;
    }
}

ResultCode read_gamma_file(const char* path, uint8_t* t1, uint8_t* t2, uint8_t* t3) {
    if (t1 == nullptr || t2 == nullptr || t3 == nullptr) return TZP_BAD_PARAMETER;
    if (path == nullptr) return TZP_FILE_ERROR;
    std::ifstream file(path, std::ios::binary);
    if (!file) return TZP_FILE_ERROR;
    for (uint8_t* table : {t1, t2, t3})
        if (!file.read(reinterpret_cast<char*>(table), kGammaTableSize)) return TZP_FILE_ERROR;
    return TZP_OK;
}

}  // namespace tz::lib
