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
// The calling thread gives its slot back; the last one releases everything.
void close_library();
// Releases every context: TZP_THREADS_ATTACHED while a thread is attached.
ResultCode release_contexts();
// Widens the usable slots to `slot_count` (no fewer than now, at most 100:
// else TZP_BAD_PARAMETER) and readies their contexts.
ResultCode make_slots(int slot_count, ContextPartsFactory parts);
ResultCode attached_thread_count(uint16_t* attached, uint16_t* slots);

}  // namespace tz::lib
