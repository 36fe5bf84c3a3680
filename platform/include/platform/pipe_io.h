// Reading and writing on the pipe handles the USB control library hands out.
// A handle is a file descriptor; on a message socket one read returns one
// whole message (one USB transfer).
#pragma once

#include <cstddef>
#include <cstdint>

namespace tz::platform {

using PipeHandle = intptr_t;

enum class IoStatus { Ok, Failed, TimedOut };

struct IoResult {
    IoStatus status = IoStatus::Failed;
    size_t bytes = 0;  // bytes moved when status is Ok
};

// One read of at most `size` bytes, waiting as long as it takes.
IoResult pipe_read(PipeHandle pipe, void* buffer, size_t size);
// One write of `size` bytes, waiting as long as it takes. A peer that has gone
// gives Failed, never a signal.
IoResult pipe_write(PipeHandle pipe, const void* data, size_t size);

// The same with a limit: after `timeout_ms` the call returns TimedOut, and
// nothing of this call touches the handle afterwards (no thread is left
// behind blocked on it).
IoResult pipe_read_timed(PipeHandle pipe, void* buffer, size_t size, uint32_t timeout_ms);
IoResult pipe_write_timed(PipeHandle pipe, const void* data, size_t size, uint32_t timeout_ms);

// Closes a pipe handle.
void close_pipe(PipeHandle pipe);

}  // namespace tz::platform
