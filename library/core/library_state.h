// What the library keeps per process: the table of thread slots and their
// contexts, the library lock, the status monitor.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "platform/recursive_lock.h"

namespace tz::lib {

class PrinterContext;

inline constexpr int kMaxSlots = 100;
inline constexpr uint32_t kNoThread = 0xFFFFFFFFu;

// The recursive lock held by open, close, slot, list and select operations,
// by direct pipe reads and by each pass of the status monitor.
platform::RecursiveLock& library_lock();

// The context table. Entries change only under the library lock; forwarded
// calls read them without it, hence the atomics.
struct ContextTable {
    std::array<std::atomic<uint32_t>, kMaxSlots> thread_ids;
    std::array<std::atomic<PrinterContext*>, kMaxSlots> contexts;
    std::atomic<int> slot_count{1};
    // 0, or the 1-based number of the slot whose context is being released.
    std::atomic<int> releasing_slot{0};
    // The device table has been filled by the first enumeration.
    std::atomic<bool> device_tables_ready{false};

    ContextTable();
};

ContextTable& context_table();

// The slot of the calling thread among the usable ones, or -1.
int find_slot();
// The context of the calling thread, or null.
PrinterContext* calling_context();
// find_slot(), or the lowest free slot, which the calling thread then owns;
// -1 when none is free. Caller holds the library lock.
int assign_slot();

}  // namespace tz::lib
