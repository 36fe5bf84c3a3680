#include "status_report.h"

#include "byteorder/little_endian.h"

namespace tz::emulator {

void encode_job_record(const JobRecord& record, uint8_t* out) {
    out[0] = record.number;
    put_le16(out + 1, record.copies);
    put_le16(out + 3, record.printed);
    put_le16(out + 5, record.received_percent);
    out[7] = record.state;
}

std::vector<uint8_t> encode_status_payload(const StatusReport& report) {
    std::vector<uint8_t> payload(kStatusPayloadSize, 0);
    uint8_t* p = payload.data();
    p[0] = report.status.state;
    if (report.status.state == kStateError) {
        p[1] = report.status.group;
        p[2] = report.status.detail;
        p[3] = report.status.detail2;
    }
    put_le16(p + 4, report.media_width);
    put_le16(p + 6, report.media_height);
    put_le32(p + 8, report.prints);
    put_le16(p + 12, report.media_left);
    uint8_t occupied = 0;
    for (const JobRecord& job : report.jobs) occupied += job.state != 0 ? 1 : 0;
    p[14] = occupied;
    p[15] = report.cover_open ? 1 : 0;
    p[16] = report.paper_loaded ? 1 : 0;
    p[17] = report.ribbon_loaded ? 1 : 0;
    p[18] = report.operation_button;
    p[19] = report.standby ? 1 : 0;
    p[20] = report.led_flashing ? 1 : 0;
    p[21] = report.diagnosis_mode;
    for (size_t i = 0; i < kJobRecordCount; ++i)
        encode_job_record(report.jobs[i], p + kJobRecordOffset + i * kJobRecordSize);
    p[60] = report.head_temperature;
    p[61] = report.inside_temperature;
    p[62] = report.humidity;
    p[64] = report.tag30;
    return payload;
}

}  // namespace tz::emulator
