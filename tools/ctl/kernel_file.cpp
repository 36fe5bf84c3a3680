#include "kernel_file.h"

#include <fstream>
#include <vector>

#include "common/input_file.h"
#include "tool.h"

namespace tz::ctl {

namespace {

// A kernel file is a few lines; anything larger is no kernel file.
constexpr size_t kLargestKernelFile = 64 * 1024;
constexpr size_t kKernelSize = 9;
constexpr size_t kShownWordLength = 24;

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// A word of the file for a message: cut short, bytes that are not printable as '?'.
std::string shown(const std::string& word) {
    std::string out;
    for (char c : word.substr(0, kShownWordLength))
        out += (static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x7F) ? c : '?';
    return word.size() > kShownWordLength ? out + "..." : out;
}

// An optional sign and 1 to 6 digits.
bool whole_number(const std::string& word, long& value) {
    size_t at = word.empty() || (word[0] != '+' && word[0] != '-') ? 0 : 1;
    const size_t digits = word.size() - at;
    if (digits == 0 || digits > 6) return false;
    value = 0;
    for (; at < word.size(); ++at) {
        if (!is_digit(word[at])) return false;
        value = value * 10 + (word[at] - '0');
    }
    if (word[0] == '-') value = -value;
    return true;
}

}  // namespace

Kernel read_kernel_file(const std::string& path, int32_t limit) {
    const std::string what = "--sharpen " + path + ": ";
    if (std::string problem = tools::input_file_problem(path); !problem.empty()) throw UsageError(what + problem);
    std::ifstream in(path, std::ios::binary);
    if (!in) throw UsageError(what + "cannot read the file");
    std::string text;
    text.resize(kLargestKernelFile + 1);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad()) throw UsageError(what + "cannot read the file");
    text.resize(static_cast<size_t>(in.gcount()));
    if (text.size() > kLargestKernelFile)
        throw UsageError(what + "larger than " + std::to_string(kLargestKernelFile / 1024) +
                         " KiB; a kernel file holds nine numbers");

    std::vector<long> numbers;
    size_t line_number = 0;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        ++line_number;
        size_t at = 0;
        while (at < line.size() && is_blank(line[at])) ++at;
        if (at < line.size() && line[at] == '#') continue;  // a comment line
        while (at < line.size()) {
            if (is_blank(line[at]) || line[at] == ',') {
                ++at;
                continue;
            }
            size_t word_end = at;
            while (word_end < line.size() && !is_blank(line[word_end]) && line[word_end] != ',') ++word_end;
            const std::string word = line.substr(at, word_end - at);
            at = word_end;
            long value = 0;
            if (!whole_number(word, value))
                throw UsageError(what + "line " + std::to_string(line_number) + ": \"" + shown(word) +
                                 "\" is not a whole number; a kernel file holds nine numbers separated by blanks, "
                                 "commas or line ends, and comment lines starting with #");
            if (value < -limit || value > limit)
                throw UsageError(what + "line " + std::to_string(line_number) + ": " + word +
                                 " is outside the coefficients' range, -" + std::to_string(limit) + " to " +
                                 std::to_string(limit));
            numbers.push_back(value);
            if (numbers.size() > kKernelSize)
                throw UsageError(what + "more than nine numbers (line " + std::to_string(line_number) +
                                 "); a kernel file holds nine");
        }
    }
    if (numbers.size() != kKernelSize)
        throw UsageError(what + std::to_string(numbers.size()) + " number" + (numbers.size() == 1 ? "" : "s") +
                         "; a kernel file holds nine");
    Kernel kernel{};
    for (size_t i = 0; i < kKernelSize; ++i) kernel[i] = static_cast<int32_t>(numbers[i]);
    return kernel;
}

}  // namespace tz::ctl
