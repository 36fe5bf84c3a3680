// Opening and closing the library, thread slots and their contexts.
#pragma once

#include <cstdint>

#include "context_parts.h"

namespace tz::lib {

// New contexts get their parts from `parts`.
int open_library(OpenKind kind, ContextPartsFactory parts, uint16_t* result);
void close_library();
int release_contexts(uint16_t* result);
int make_slots(int slot_count, ContextPartsFactory parts);
int attached_thread_count(uint16_t* attached, uint16_t* slots);

}  // namespace tz::lib
