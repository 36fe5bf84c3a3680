// The console of a command-line program.
#pragma once

namespace tz::platform {

// Clears the screen when standard output is a terminal; nothing otherwise.
void clear_console();

// Whether standard error is a terminal (where progress may be shown).
bool stderr_is_terminal();

// Waits for one key: unechoed and without Enter on a terminal, one byte of
// standard input otherwise. The key's byte, or -1 at the end of the input.
int read_key();

}  // namespace tz::platform
