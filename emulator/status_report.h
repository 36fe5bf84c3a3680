// The payload of the printer's answer to a status inquiry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tz::emulator {

inline constexpr size_t kStatusPayloadSize = 65;
// Two 8-byte job records; the last byte of each is the job's state (0 = the
// position is free).
inline constexpr size_t kJobRecordOffset = 28;
inline constexpr size_t kJobRecordSize = 8;
inline constexpr size_t kJobRecordCount = 2;

struct JobRecord {
    uint8_t bytes[kJobRecordSize] = {};
};

struct StatusReport {
    JobRecord jobs[kJobRecordCount];
};

std::vector<uint8_t> encode_status_payload(const StatusReport& report);

}  // namespace tz::emulator
