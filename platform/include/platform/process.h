// Thread and process identity, sleeping.
#pragma once

#include <cstdint>

namespace tz::platform {

uint32_t current_thread_id();   // system-wide id of the calling thread
uint32_t current_process_id();
void sleep_ms(uint32_t milliseconds);
// False where a thread that is ending cannot wait for another thread to start
// or end (Windows ends a thread under a lock that every thread start and end
// takes): work done at a thread's end must then not wait for other threads.
bool thread_end_can_wait_for_threads();
// True when the process runs as the system's administrator (root).
bool running_as_administrator();

}  // namespace tz::platform
