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

// The locks of the library, and the order they are taken in.
//
// 1. A printer's device mutex (DeviceEntry::mutex: a named mutex every process
//    that uses the printer shares, re-enterable by its owning thread).
//    Protects the order of commands and answers on the printer's pipes,
//    across processes. Held by every printer operation for its whole
//    exchange (acquire_printer, waiting at most 500 ms) and by a page from its
//    start to its end.
// 2. The library lock (library_lock() below: recursive, process-wide).
//    Protects the context table's entries and the device table's entries
//    (devices, pipe handles, serials, model keys, their mutexes). Held by
//    open, close, slot, list and select operations and by direct pipe reads,
//    which a printer operation makes while it holds the printer's device
//    mutex; each pass of the status monitor only tries it.
// 3. The colour lock (color_lock() in image/color_binding.h: recursive,
//    process-wide). Serialises every call into the colour-matching library;
//    taken while either of the others is held, never the other way round.
//
// A thread holding one of them takes only those below it, with one
// exception that cannot deadlock: holding the library lock, enumeration and
// the status monitor wait for a device mutex with a time limit (500 ms, and
// 10 ms for the monitor and the sweep of gone printers) and leave the printer
// for later when it is busy.
//
// Leaf locks, taken last, while nothing else is taken: a context's
// SelectionSlot, a device entry's MutexSlot, the traffic dump's file lock.
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
