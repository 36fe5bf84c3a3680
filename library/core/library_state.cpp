#include "library_state.h"

#include "platform/process.h"
#include "thread_end.h"

namespace tz::lib {

platform::RecursiveLock& library_lock() {
    static platform::RecursiveLock lock;
    return lock;
}

ContextTable::ContextTable() {
    for (auto& id : thread_ids) id = kNoThread;
    for (auto& context : contexts) context = nullptr;
}

ContextTable& context_table() {
    static ContextTable table;
    return table;
}

int find_slot() {
    ContextTable& table = context_table();
    uint32_t me = platform::current_thread_id();
    int count = table.slot_count;
    for (int i = 0; i < count; ++i)
        if (table.thread_ids[i] == me) return i;
    return -1;
}

PrinterContext* calling_context() {
    int slot = find_slot();
    return slot < 0 ? nullptr : context_table().contexts[slot].load();
}

int assign_slot() {
    int slot = find_slot();
    if (slot >= 0) return slot;
    ContextTable& table = context_table();
    int count = table.slot_count;
    for (int i = 0; i < count; ++i) {
        if (table.thread_ids[i] == kNoThread) {
            table.thread_ids[i] = platform::current_thread_id();
            watch_thread_end();
            return i;
        }
    }
    return -1;
}

}  // namespace tz::lib
