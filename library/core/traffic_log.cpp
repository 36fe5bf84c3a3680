#include "traffic_log.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>

#include "command_names.h"

namespace tz::lib {
namespace {

using FilePointer = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

// Where lines go: the file TZ5170_DEBUG_FILE names (appended to), else stderr.
struct Sink {
    std::mutex lock;
    FilePointer file{nullptr, std::fclose};
    std::FILE* out = stderr;
    Sink() {
        const char* path = std::getenv("TZ5170_DEBUG_FILE");
        if (path != nullptr && *path != '\0') {
            file.reset(std::fopen(path, "a"));
            if (file) out = file.get();
        }
    }
};

Sink& sink() {
    static Sink s;
    return s;
}

std::string utc_now() {
    using namespace std::chrono;
    const auto now = floor<milliseconds>(system_clock::now());
    const auto day = floor<days>(now);
    const year_month_day date{day};
    const hh_mm_ss time{now - day};
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()), static_cast<int>(time.subseconds().count()));
    return text;
}

void append_hex(std::string& line, const uint8_t* bytes, size_t count) {
    static constexpr char kDigits[] = "0123456789abcdef";
    line.reserve(line.size() + count * 3);
    for (size_t i = 0; i < count; ++i) {
        line.push_back(' ');
        line.push_back(kDigits[bytes[i] >> 4]);
        line.push_back(kDigits[bytes[i] & 15]);
    }
}

std::string head(const std::string& serial, Traffic kind) {
    return serial + (kind == Traffic::Answer ? " < " : " > ");
}

std::string answer_to(const char* last_command) {
    return std::string("answer to ") + (last_command != nullptr ? last_command : "an unknown command");
}

}  // namespace

int traffic_level() {
    static const int level = [] {
        const char* value = std::getenv("TZ5170_DEBUG");
        if (value == nullptr || value[0] < '1' || value[0] > '9') return 0;
        return value[0] == '1' ? 1 : 2;
    }();
    return level;
}

uint32_t crc32(const uint8_t* bytes, size_t count) {
    static const auto table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < count; ++i) crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

std::string traffic_line(const std::string& serial, Traffic kind, const uint8_t* bytes, size_t count,
                         const char* last_command, int level) {
    std::string line = head(serial, kind);
    switch (kind) {
        case Traffic::Command: {
            const char* name = count >= 2 ? command_name(bytes[0], bytes[1]) : nullptr;
            line += name != nullptr ? name : "unknown command";
            append_hex(line, bytes, count);
            break;
        }
        case Traffic::Answer:
            line += answer_to(last_command) + " (" + std::to_string(count) + " bytes)";
            append_hex(line, bytes, count);
            break;
        case Traffic::Data: {
            char summary[64];
            std::snprintf(summary, sizeof summary, "data %zu bytes crc32 %08x", count, crc32(bytes, count));
            line += summary;
            if (level >= 2) append_hex(line, bytes, count);
            break;
        }
    }
    return line;
}

std::string traffic_failure_line(const std::string& serial, Traffic kind, const char* last_command,
                                 const char* what) {
    std::string line = head(serial, kind);
    line += kind == Traffic::Answer ? answer_to(last_command) : kind == Traffic::Data ? "data" : "command";
    return line + ": " + what;
}

void write_traffic_line(const std::string& line) {
    Sink& s = sink();
    const std::string stamped = utc_now() + " " + line + "\n";
    std::lock_guard guard(s.lock);
    std::fputs(stamped.c_str(), s.out);
    std::fflush(s.out);
}

}  // namespace tz::lib
