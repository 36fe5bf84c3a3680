// Opening and closing the library, thread slots and their contexts.
#pragma once

#include <cstdint>

#include "context_parts.h"

namespace tz::lib {

// Makes and readies the contexts of every usable slot (new ones get their
// parts from `parts`) and gives the calling thread a slot; starts the status
// monitor. TZP_OK, or the first context's failure (every context released
// again), or TZP_NO_CONTEXT when no slot is free.
ResultCode open_library(OpenKind kind, ContextPartsFactory parts);
enum class ClosingThread { Running, Ending };
// The calling thread gives its slot back; the last one releases everything.
// A thread that is `Ending` does not wait for other threads where the system
// forbids it: the status monitor is then left to end on its own.
void close_library(ClosingThread closing = ClosingThread::Running);
// Releases every context: TZP_THREADS_ATTACHED while a thread is attached.
ResultCode release_contexts();
// Widens the usable slots to `slot_count` (no fewer than now, at most 100:
// else TZP_BAD_PARAMETER) and readies their contexts.
ResultCode make_slots(int slot_count, ContextPartsFactory parts);
ResultCode attached_thread_count(uint16_t* attached, uint16_t* slots);

}  // namespace tz::lib
