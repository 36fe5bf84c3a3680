// The frame every TZ5170Ctl subcommand works in: global options, the printer
// session, output (human or JSON), failures and usage errors.
#pragma once

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace tz::ctl {

// Exit statuses.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kExitUnknown = 3;  // print: a photo may have printed or not, nobody can tell

// A printer or library failure: exit status 1, the code and its meaning on stderr.
class Failure : public std::runtime_error {
public:
    Failure(const std::string& what, unsigned code) : std::runtime_error(what), code_(code) {}
    unsigned code() const { return code_; }

private:
    unsigned code_;
};

// A usage error found after parsing (bad hex, no --serial among several printers): exit status 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct GlobalOptions {
    std::vector<std::string> serials;  // --serial as given; more than one for print only
    std::string serial;                // the first of them; empty: the only printer
    bool json = false;
};

// What the command line chose: the options and the action of the subcommand given.
struct Tool {
    GlobalOptions options;
    std::function<void()> action;
    bool several_serials = false;  // set by the commands that take --serial more than once
    int exit_status = kExitOk;     // a command that reports its failures itself sets kExitFailure

    // Prints one result: the JSON document with --json, else the human text
    // (a line end is added when missing).
    void emit(const nlohmann::json& document, const std::string& human) const;
};

// The library opened for the calling thread, closed again at the end (RAII).
class LibrarySession {
public:
    LibrarySession();
    ~LibrarySession();
    LibrarySession(const LibrarySession&) = delete;
    LibrarySession& operator=(const LibrarySession&) = delete;

    // The serials of the printers the library sees now.
    std::vector<std::string> serials() const;
};

// The library opened and the chosen printer selected: the one named by
// --serial, else the only one attached.
class PrinterSession : public LibrarySession {
public:
    explicit PrinterSession(const GlobalOptions& options);
    const std::string& serial() const { return serial_; }

    // Throws a Failure naming `what` when `ok` is false. `code` is taken by
    // reference so that it is read after the call that fills it, whatever the
    // order in which the arguments are evaluated.
    void check(int ok, const uint16_t& code, const std::string& what) const;

private:
    std::string serial_;
};

// A subcommand: each command file registers its own (static registration),
// so that the program holds exactly the files it is built from.
using Registrar = void (*)(CLI::App& app, Tool& tool);
struct CommandRegistration {
    CommandRegistration(int order, Registrar registrar);
};
void register_all_commands(CLI::App& app, Tool& tool);

// Parsing helpers: a number from decimal or 0x-prefixed hex within [low, high];
// bytes from hex arguments ("1b00", "0x1B", "1b 00"). Throw UsageError.
long long parse_number(const std::string& text, long long low, long long high, const char* what);
std::vector<uint8_t> parse_hex_bytes(const std::vector<std::string>& words);

// "WxH" with each side within [low, high]. Throws UsageError.
struct Size {
    int width = 0;
    int height = 0;
};
Size parse_size(const std::string& text, int low, int high, const char* what);

// 8 letters, digits, '-' or '_'.
bool valid_serial(const std::string& serial);
// "1b 00 ff" and a classic dump (offset, 16 bytes a line, printable text).
std::string hex_string(const uint8_t* data, size_t size);
std::string hex_dump(const uint8_t* data, size_t size);
// Fixed-width text without its trailing NULs and spaces, other bytes as '.'.
std::string fixed_text(const uint8_t* data, size_t size);

}  // namespace tz::ctl
