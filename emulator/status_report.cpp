#include "status_report.h"

#include <cstring>

namespace tz::emulator {

std::vector<uint8_t> encode_status_payload(const StatusReport& report) {
    std::vector<uint8_t> payload(kStatusPayloadSize, 0);
    for (size_t i = 0; i < kJobRecordCount; ++i)
        std::memcpy(payload.data() + kJobRecordOffset + i * kJobRecordSize, report.jobs[i].bytes, kJobRecordSize);
    return payload;
}

}  // namespace tz::emulator
