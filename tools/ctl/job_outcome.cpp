#include "job_outcome.h"

namespace tz::ctl {

JobEnd judge_left_job(const LeftJob& job) {
    const std::optional<uint32_t>& rise = job.counter_rise;
    if (job.finished) {
        // Job numbers come round again: a counter that did not rise far
        // enough says the finished job was another one of that number.
        if (!rise || *rise >= job.copies) return {JobEnd::Kind::Printed, job.copies};
        return {};
    }
    if (rise && *rise == 0) return {JobEnd::Kind::Stopped, 0};
    // A job cancelled part way: the copies counted are its own when no other
    // job was there to print them. All of them counted without the printer
    // saying finished cannot be told from another job's copies.
    if (rise && !job.others && *rise < job.copies) return {JobEnd::Kind::Stopped, *rise};
    return {};
}

}  // namespace tz::ctl
