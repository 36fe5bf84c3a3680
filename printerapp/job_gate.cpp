#include "job_gate.h"

namespace tz::app {

bool JobGate::enter(int job_id, const std::function<bool(int)>& holder_gone, const std::function<bool()>& give_up,
                    std::chrono::milliseconds poll) {
    std::unique_lock lock(lock_);
    while (holder_ != 0 && holder_ != job_id) {
        const int holder = holder_;
        lock.unlock();
        const bool gone = holder_gone(holder);
        const bool stop = !gone && give_up();
        lock.lock();
        if (gone && holder_ == holder) holder_ = 0;
        if (stop) return false;
        if (holder_ != 0 && holder_ != job_id) changed_.wait_for(lock, poll);
    }
    holder_ = job_id;
    return true;
}

void JobGate::leave(int job_id) {
    {
        std::lock_guard guard(lock_);
        if (holder_ != job_id) return;
        holder_ = 0;
    }
    changed_.notify_all();
}

int JobGate::holder() const {
    std::lock_guard guard(lock_);
    return holder_;
}

}  // namespace tz::app
