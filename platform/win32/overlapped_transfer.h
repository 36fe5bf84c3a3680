// One read or write on a pipe handle with a limit, for handles opened for
// overlapped I/O and for plain ones alike (a plain handle blocks inside the
// call, so the limit does not hold there: the timed pipe transfers run such
// a call on a worker thread).
#pragma once

#include "platform/pipe_io.h"
#include "windows_api.h"

namespace tz::platform::win32 {

enum class Direction { Read, Write };

// Waits at most `limit_ms` (INFINITE: as long as it takes) and, when given,
// until `stop` is signalled; either ends the transfer as TimedOut, unless it
// finished in the meantime. A read of a message longer than `size` returns
// its first `size` bytes and drops the rest, as a message socket does.
IoResult overlapped_transfer(HANDLE handle, Direction direction, void* buffer, DWORD size, DWORD limit_ms,
                             HANDLE stop = nullptr);

}  // namespace tz::platform::win32
