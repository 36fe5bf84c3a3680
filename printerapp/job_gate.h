// One job at a time on a printer. PAPPL 1.3 can start two jobs on one
// printer at once when they arrive within milliseconds of each other, so a
// job takes its printer's gate when it starts and gives it back when it
// ends; a job that ended without giving it back (aborted by PAPPL) is noticed
// by the next one.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace tz::app {

class JobGate {
public:
    // Waits until no other job holds the gate, then holds it for `job_id`.
    // `holder_gone(id)` tells whether a holder has ended meanwhile; `give_up()`
    // ends the wait (false returned), asked every `poll`.
    bool enter(int job_id, const std::function<bool(int)>& holder_gone, const std::function<bool()>& give_up,
               std::chrono::milliseconds poll = std::chrono::milliseconds(200));
    // Gives the gate back when `job_id` holds it.
    void leave(int job_id);
    int holder() const;

private:
    mutable std::mutex lock_;
    std::condition_variable changed_;
    int holder_ = 0;
};

}  // namespace tz::app
