// Thread and process identity, sleeping.
#pragma once

#include <cstdint>

namespace tz::platform {

uint32_t current_thread_id();   // system-wide id of the calling thread
uint32_t current_process_id();
void sleep_ms(uint32_t milliseconds);
// True when the process runs as the system's administrator (root).
bool running_as_administrator();

}  // namespace tz::platform
