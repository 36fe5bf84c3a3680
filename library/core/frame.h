// Opening and closing the library, thread slots and their contexts.
#pragma once

#include <cstdint>

namespace tz::lib {

int open_library(uint16_t* result);
int open_library_for_download(int mode, uint16_t* result);
void close_library();
int release_contexts(uint16_t* result);
int make_slots(int slot_count);
int attached_thread_count(uint16_t* attached, uint16_t* slots);

}  // namespace tz::lib
