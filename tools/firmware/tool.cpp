#include "tool.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "common/input_file.h"

namespace tz::firmware {

void Tool::emit(const nlohmann::ordered_json& document, const std::string& human) const {
    if (json) {
        std::cout << document.dump(2) << '\n';
    } else {
        std::cout << human;
        if (!human.empty() && human.back() != '\n') std::cout << '\n';
    }
    std::cout.flush();
}

uint64_t parse_number(const std::string& text, uint64_t low, uint64_t high, const char* what) {
    std::string digits = text;
    unsigned base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits.erase(0, 2);
    }
    bool ok = !digits.empty();
    uint64_t value = 0;
    for (char c : digits) {
        int d = (c >= '0' && c <= '9') ? c - '0'
                : (base == 16 && c >= 'a' && c <= 'f') ? c - 'a' + 10
                : (base == 16 && c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                       : -1;
        if (d < 0 || value > (UINT64_MAX - static_cast<unsigned>(d)) / base) {
            ok = false;
            break;
        }
        value = value * base + static_cast<unsigned>(d);
    }
    if (!ok || value < low || value > high) {
        char range[64];
        std::snprintf(range, sizeof range, "%llu to %llu (0x%llX)", static_cast<unsigned long long>(low),
                      static_cast<unsigned long long>(high), static_cast<unsigned long long>(high));
        throw UsageError(std::string(what) + " \"" + text + "\" is not a number from " + range);
    }
    return value;
}

std::string hex32(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
}

void check_input(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) throw Failure(path + " is a folder");
    if (std::string problem = tools::input_file_problem(path, true); !problem.empty())
        throw UsageError(path + ": " + problem);
}

void check_pipe_input_size(const std::string& path, uint64_t size) {
    if (size > tools::kLargestPipeInput)
        throw UsageError(path + ": a pipe giving more than " + std::to_string(tools::kLargestPipeInput >> 20) +
                         " MiB; give so large an input as a regular file");
}

void write_file(const std::string& path, const uint8_t* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw Failure("cannot write " + path);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    if (!out) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(path, ec)) std::filesystem::remove(path, ec);
        throw Failure("cannot write " + path + " (disk full?)");
    }
}

}  // namespace tz::firmware
