#include "thread_end.h"

#include <mutex>

#include "library_open.h"
#include "library_state.h"
#include "platform/process.h"

namespace tz::lib {
namespace {

bool holds_a_slot(uint32_t thread) {
    for (const auto& id : context_table().thread_ids)
        if (id == thread) return true;
    return false;
}

struct ThreadEndGuard {
    bool armed = false;
    ~ThreadEndGuard() {
        if (!armed) return;
        uint32_t me = platform::current_thread_id();
        if (me == platform::current_process_id()) return;
        std::lock_guard guard(library_lock());
        // Anything the thread still held of a printer (an open page) is given
        // back by the end of the thread itself: its robust mutex is reported
        // abandoned to the next waiter.
        if (holds_a_slot(me)) close_library(ClosingThread::Ending);
    }
};

thread_local ThreadEndGuard t_guard;

}  // namespace

void watch_thread_end() { t_guard.armed = true; }

}  // namespace tz::lib
