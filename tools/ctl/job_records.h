// The printer's jobs as the library reports them: the two job records of
// printer-information tag 16, the state of one print ID, and the print
// counter.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tz::ctl {

// One job position. The printer reports, besides the job number and its
// state, how many copies were asked for, how many are printed and how much
// of the page's data has arrived.
struct JobRecord {
    uint8_t job = 0;            // job number, the low byte of the print ID
    uint8_t printer_index = 0;  // the library's index of the printer, the high byte
    uint16_t copies = 0;
    uint16_t printed = 0;
    uint16_t received_percent = 0;
    uint8_t state = 0;  // 0: no job in this position

    bool present() const { return state != 0; }
    uint16_t print_id() const { return static_cast<uint16_t>(printer_index << 8 | job); }
};

struct JobRecords {
    std::array<JobRecord, 2> positions;
    uint8_t printer_index() const { return positions[0].printer_index; }
    // The position holding this print ID, or nullptr.
    const JobRecord* find(uint16_t print_id) const;
};

// Reads the job records of the selected printer; false when the printer
// does not deliver them.
bool read_job_records(JobRecords& records);

// "receiving", "waiting", "printing" or "state 0x.." for a job state byte.
std::string job_state_name(uint8_t state);

// What tzpusb_getPrintIDStatus delivers: the job's three values and a status
// code (0 while the page is arriving or waiting, 2212 once it is finished,
// 2300 when the printer does not know the job, or while it prints, or the
// printer's state code while it prints and waits for the printer).
struct PrintIdStatus {
    uint16_t copies = 0;
    uint16_t printed = 0;
    uint16_t received_percent = 0;
    uint16_t code = 0;
};
bool read_print_id_status(uint16_t print_id, PrintIdStatus& status, uint16_t& result);
// What that status code says about a job.
std::string print_id_status_meaning(uint16_t code);

// The printer's print counter, the copies it has printed in its life
// (status bytes 8..11); false when the printer does not deliver it.
bool read_print_counter(uint32_t& counter);

// "0x0001".
std::string print_id_text(uint16_t print_id);

}  // namespace tz::ctl
