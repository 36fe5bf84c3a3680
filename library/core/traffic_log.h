// The traffic dump for diagnosis in the field: with TZ5170_DEBUG=1 every
// command and answer is one line on stderr (or in the file TZ5170_DEBUG_FILE
// names): time, printer serial, direction, the command's name and the bytes
// in hex. Bulk data is a byte count and a CRC-32; TZ5170_DEBUG=2 adds its
// bytes. Off, it costs one load of a flag per transfer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tz::lib {

enum class Traffic : uint8_t {
    Command,  // host to printer: a command packet
    Data,     // host to printer: page, firmware or other bulk data
    Answer,   // printer to host
};

// 0 (off), 1 or 2, from TZ5170_DEBUG, read once per process.
int traffic_level();

// The part of a line after its time stamp, for `count` bytes of `kind`:
// "SERIAL > Get Status Command 01 00 00 00",
// "SERIAL < answer to Get Status Command (65 bytes) 00 00 ...",
// "SERIAL > data 4096 bytes crc32 1a2b3c4d" (at level 2 with its bytes).
// `last_command` names the command an answer belongs to (nullptr: unknown).
std::string traffic_line(const std::string& serial, Traffic kind, const uint8_t* bytes, size_t count,
                         const char* last_command, int level);

// A transfer that failed or ran out of time: "SERIAL < answer to X: timed out".
std::string traffic_failure_line(const std::string& serial, Traffic kind, const char* last_command,
                                 const char* what);

// Writes a line, time-stamped, to the log; lines of several threads never mix.
void write_traffic_line(const std::string& line);

uint32_t crc32(const uint8_t* bytes, size_t count);

}  // namespace tz::lib
