// What became of a job that has left the printer's job records, told from
// what the printer says afterwards: whether its print-ID status says finished,
// and how far the print counter rose since before the page was started. A job
// that left without a copy counted did not print; one whose copies cannot be
// accounted for has an outcome nobody can tell.
#pragma once

#include <cstdint>
#include <optional>

namespace tz::ctl {

struct LeftJob {
    unsigned copies = 0;                   // asked for
    bool finished = false;                 // the print-ID status says finished (2212)
    std::optional<uint32_t> counter_rise;  // copies printed since before the page; none when not known
    bool others = false;                   // other jobs were in the printer meanwhile: the rise is not the job's alone
};

struct JobEnd {
    enum class Kind {
        Printed,  // every copy came out
        Stopped,  // `printed` copies came out, the others never will
        Unknown,  // the printer cannot tell
    } kind = Kind::Unknown;
    unsigned printed = 0;
};

JobEnd judge_left_job(const LeftJob& job);

}  // namespace tz::ctl
