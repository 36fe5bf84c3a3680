#include "job_records.h"

#include <cstdio>

#include "byteorder/little_endian.h"
#include "common/result_meanings.h"
#include "tzpusb.h"

namespace tz::ctl {

namespace {

constexpr size_t kRecordSize = 9;
constexpr size_t kPrintCounterAt = 8;  // in the status bytes of tag 4, four bytes, low byte first


}  // namespace

const JobRecord* JobRecords::find(uint16_t print_id) const {
    for (const JobRecord& record : positions)
        if (record.present() && record.print_id() == print_id) return &record;
    return nullptr;
}

bool read_job_records(JobRecords& records) {
    uint8_t bytes[2 * kRecordSize] = {};
    uint32_t size = sizeof bytes;
    if (!tzpusb_getPrinterInfo(PINFTAG_JOBS, bytes, &size) || size != sizeof bytes) return false;
    for (size_t i = 0; i < records.positions.size(); ++i) {
        const uint8_t* r = bytes + i * kRecordSize;
        JobRecord& record = records.positions[i];
        record.job = r[0];
        record.printer_index = r[1];
        record.copies = tz::read_le16(r + 2);
        record.printed = tz::read_le16(r + 4);
        record.received_percent = tz::read_le16(r + 6);
        record.state = r[8];
    }
    return true;
}

std::string job_state_name(uint8_t state) {
    switch (state) {
    case 0x01: return "receiving";
    case 0x02: return "waiting";
    case 0x12: return "printing";
    default: break;
    }
    char text[16];
    std::snprintf(text, sizeof text, "state 0x%02x", state);
    return text;
}

bool read_print_id_status(uint16_t print_id, PrintIdStatus& status, uint16_t& result) {
    uint16_t values[4] = {};
    result = 0;
    const bool ok = tzpusb_getPrintIDStatus(print_id, values, &result) != 0;
    status.copies = values[0];
    status.printed = values[1];
    status.received_percent = values[2];
    status.code = values[3];
    return ok;
}

std::string print_id_status_meaning(uint16_t code) {
    switch (code) {
    case 0: return "in the printer, its data arriving or waiting to print";
    case 2212: return "finished";
    case 2300: return "printing, or not known to the printer";
    default: return "waiting for the printer: " + tools::result_meaning(code);
    }
}

bool read_print_counter(uint32_t& counter) {
    uint8_t status[28] = {};
    uint32_t size = sizeof status;
    if (!tzpusb_getPrinterInfo(PINFTAG_STATUS, status, &size) || size != sizeof status) return false;
    counter = tz::read_le32(status + kPrintCounterAt);
    return true;
}

std::string print_id_text(uint16_t print_id) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04x", print_id);
    return text;
}

}  // namespace tz::ctl
