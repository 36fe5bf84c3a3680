// The frame every TZ5170Firmware command works in: the global options, the
// output (human text or one JSON document), failures and usage errors, and
// the helpers the commands share.
#pragma once

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

namespace tz::firmware {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// Something could not be done (a file not read or written): exit status 1.
class Failure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A usage error found after parsing (a bad number, options that do not go together): exit status 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Tool {
    bool json = false;
    std::function<int()> action;  // the chosen command; returns the exit status

    // Prints the result: the JSON document with --json, else the human text.
    void emit(const nlohmann::ordered_json& document, const std::string& human) const;
};

void register_make(CLI::App& app, Tool& tool);
void register_mot(CLI::App& app, Tool& tool);
void register_inspect(CLI::App& app, Tool& tool);
void register_package(CLI::App& app, Tool& tool);

// A number from decimal or 0x-prefixed hex within [low, high]; throws UsageError.
uint64_t parse_number(const std::string& text, uint64_t low, uint64_t high, const char* what);

// "0x0001F000".
std::string hex32(uint32_t value);

// An input file as the commands take it: a regular file or a pipe. Throws
// Failure for a folder, UsageError for a device or a socket.
void check_input(const std::string& path);
// Throws UsageError once more than tools::kLargestPipeInput bytes came from
// the pipe `path`.
void check_pipe_input_size(const std::string& path, uint64_t size);

// Writes `size` bytes to `path` as a new file (replacing what is there);
// throws Failure, and leaves no partial file behind, when that fails.
void write_file(const std::string& path, const uint8_t* data, size_t size);

}  // namespace tz::firmware
