#include "mtf_file.h"

#include <cstdint>
#include <fstream>
#include <optional>

#include "image/mtf_kernel.h"

namespace tz::lib {
namespace {

// Longest number the file reader collects.
inline constexpr int kNumberLimit = 255;
// A byte 0xFF reads as the end of the file.
inline constexpr int kEnd = -1;

bool is_digit(int c) { return c >= '0' && c <= '9'; }
bool starts_number(int c) { return is_digit(c) || c == '+' || c == '-'; }

class TextReader {
public:
    explicit TextReader(std::ifstream& file) : file_(file) {}
    int next() {
        const int c = file_.get();
        return c == std::char_traits<char>::eof() || c == 0xFF ? kEnd : c;
    }

private:
    std::ifstream& file_;
};

// An optional sign, then the digits up to the first non-digit; nothing when
// the value does not fit 32 bits.
std::optional<int32_t> convert(const char* text, int length) {
    int at = 0;
    bool negative = false;
    if (at < length && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    const int64_t limit = negative ? -int64_t{INT32_MIN} : int64_t{INT32_MAX};
    int64_t value = 0;
    for (; at < length && is_digit(text[at]); ++at) {
        value = value * 10 + (text[at] - '0');
        if (value > limit) return std::nullopt;
    }
    return static_cast<int32_t>(negative ? -value : value);
}

// The next number of the file: false at the end of the file before one
// starts, or for a number that is too long.
bool next_number(TextReader& reader, int32_t& value) {
    int c = reader.next();
    while (c != kEnd && !starts_number(c)) c = reader.next();
    if (c == kEnd) return false;
    char text[kNumberLimit];
    int length = 0;
    // The character that ends the number is consumed with it.
    while (c != kEnd && starts_number(c)) {
        if (length == kNumberLimit) return false;
        text[length++] = static_cast<char>(c);
        c = reader.next();
    }
    std::optional<int32_t> converted = convert(text, length);
    if (!converted) return false;
    value = *converted;
    return true;
}

}  // namespace

ResultCode read_kernel_file(const char* path, int32_t* coefficients) {
    if (coefficients == nullptr) return TZP_BAD_PARAMETER;
    if (path == nullptr) {
        const MtfKernel identity = MtfKernel::identity();
        for (int n = 0; n < MtfKernel::kSize; ++n) coefficients[n] = identity.k[static_cast<size_t>(n)];
        return TZP_OK;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) return TZP_FILE_ERROR;
    TextReader reader(file);
    for (int n = 0; n < MtfKernel::kSize; ++n)
        if (!next_number(reader, coefficients[n])) return TZP_FILE_ERROR;
    return TZP_OK;
}

}  // namespace tz::lib
