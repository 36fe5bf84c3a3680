// Print IDs: the printer's index in the high byte, a job number 1..255 in
// the low byte.
#pragma once

#include <cstdint>

namespace tz::lib {

// The job number of the next page, from the job numbers of the printer's two
// job records: one more than the larger, or when that passes 255 the
// smallest of 1..255 that is neither.
uint8_t next_job_number(uint8_t first, uint8_t second);

inline uint16_t make_print_id(uint8_t printer_index, uint8_t job_number) {
    return static_cast<uint16_t>(printer_index << 8 | job_number);
}

}  // namespace tz::lib
