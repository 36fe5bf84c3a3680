// The payload of the printer's answer to a status inquiry (65 bytes):
//    0       state byte (as in the frame header)
//    1..3    error group, detail, second detail (state 0x11)
//    4..5    largest print width of the loaded media (LE16)
//    6..7    largest print height (LE16)
//    8..11   pages printed in the printer's life (LE32)
//   12..13   prints left on the loaded media (LE16)
//   14       occupied job positions
//   15       cover open (1) / closed (0)
//   16       paper loaded (1 / 0)
//   17       ink ribbon loaded (1 / 0)
//   18       operation button setting
//   19       stand-by (1) / awake (0)
//   20       LED flashing (1 / 0)
//   21       self-diagnosis running: its mode (0 = none)
//   22..27   0
//   28..35   job position 1: job number, copies (LE16), copies printed (LE16),
//            per cent of the page data received (LE16), job state
//   36..43   job position 2, the same
//   44..59   0
//   60       print head temperature (degrees Celsius)
//   61       inside temperature (degrees Celsius)
//   62       relative humidity (per cent)
//   63       0
//   64       the tag-30 setting of the last page accepted
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "frames.h"

namespace tz::emulator {

inline constexpr size_t kStatusPayloadSize = 65;
inline constexpr size_t kJobRecordOffset = 28;
inline constexpr size_t kJobRecordSize = 8;
inline constexpr size_t kJobRecordCount = 2;

// Job states in the last byte of a job record (0 = the position is free).
inline constexpr uint8_t kJobReceiving = 0x01;
inline constexpr uint8_t kJobWaiting = 0x02;
inline constexpr uint8_t kJobPrinting = 0x12;

struct JobRecord {
    uint8_t number = 0;
    uint16_t copies = 0;
    uint16_t printed = 0;
    uint16_t received_percent = 0;
    uint8_t state = 0;
};

struct StatusReport {
    FrameStatus status;
    uint16_t media_width = 0;
    uint16_t media_height = 0;
    uint32_t prints = 0;
    uint16_t media_left = 0;
    bool cover_open = false;
    bool paper_loaded = true;
    bool ribbon_loaded = true;
    uint8_t operation_button = 0;
    bool standby = false;
    bool led_flashing = false;
    uint8_t diagnosis_mode = 0;
    std::array<JobRecord, kJobRecordCount> jobs{};
    uint8_t head_temperature = 25;
    uint8_t inside_temperature = 23;
    uint8_t humidity = 40;
    uint8_t tag30 = 0;
};

std::vector<uint8_t> encode_status_payload(const StatusReport& report);
void encode_job_record(const JobRecord& record, uint8_t* out);

}  // namespace tz::emulator
