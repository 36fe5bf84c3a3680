// Reads and writes on the pipe handles of a USB control library. A plain
// transfer is one ReadFile or WriteFile. A timed transfer runs on a worker
// thread of its own that the caller waits for with a limit; past it the
// caller cancels the worker's transfer, and should the worker still not end,
// terminates it. The worker moves bytes only through a buffer of its own, so
// that a worker given up on never touches the caller's memory.
#include "platform/pipe_io.h"

#include <atomic>
#include <cstring>
#include <vector>

#include "overlapped_transfer.h"

namespace tz::platform {
namespace {

using win32::Direction;
using win32::OwnedHandle;

// How long a worker may take to end once its transfer was cancelled, before
// it is terminated.
constexpr DWORD kWorkerEndMs = 1000;

// Shared by the caller and the worker; whichever lets go last frees it. A
// terminated worker never lets go, and the few bytes stay behind.
struct Worker {
    HANDLE pipe = nullptr;
    Direction direction = Direction::Read;
    std::vector<unsigned char> buffer;
    OwnedHandle stop{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    IoResult result;
    std::atomic<int> holders{2};

    void let_go() {
        if (holders.fetch_sub(1) == 1) delete this;
    }
};

// Exit code 1 when the transfer moved bytes, 0 otherwise.
DWORD WINAPI run_worker(void* argument) {
    Worker* worker = static_cast<Worker*>(argument);
    worker->result = win32::overlapped_transfer(worker->pipe, worker->direction, worker->buffer.data(),
                                                static_cast<DWORD>(worker->buffer.size()), INFINITE,
                                                worker->stop.get());
    const DWORD code = worker->result.status == IoStatus::Ok ? 1 : 0;
    worker->let_go();
    return code;
}

IoResult timed_transfer(PipeHandle pipe, Direction direction, void* buffer, size_t size, uint32_t timeout_ms) {
    if (pipe == -1 || buffer == nullptr || size > MAXDWORD) return {};
    Worker* worker = new (std::nothrow) Worker;
    if (worker == nullptr) return {};
    worker->pipe = win32::to_handle(pipe);
    worker->direction = direction;
    worker->buffer.resize(size);
    if (direction == Direction::Write) std::memcpy(worker->buffer.data(), buffer, size);
    if (!worker->stop.valid()) {
        delete worker;
        return {};
    }
    OwnedHandle thread(::CreateThread(nullptr, 0, run_worker, worker, 0, nullptr));
    if (!thread.valid()) {
        delete worker;  // the worker never started: nobody else holds it
        return {};
    }
    const bool given_up = ::WaitForSingleObject(thread.get(), timeout_ms) != WAIT_OBJECT_0;
    if (given_up) {
        ::SetEvent(worker->stop.get());       // an overlapped handle: the worker's wait ends
        ::CancelSynchronousIo(thread.get());  // a plain handle: the worker's call ends
        if (::WaitForSingleObject(thread.get(), kWorkerEndMs) != WAIT_OBJECT_0) {
            DWORD code = 0;
            ::GetExitCodeThread(thread.get(), &code);
            ::TerminateThread(thread.get(), code);
            ::WaitForSingleObject(thread.get(), kWorkerEndMs);
            return {IoStatus::TimedOut, 0};  // `worker` stays: its thread may have held the buffer
        }
    }
    DWORD code = 0;
    ::GetExitCodeThread(thread.get(), &code);
    IoResult result = worker->result;
    if (code == 1 && result.status == IoStatus::Ok) {
        // Done, even if only as the limit passed: the bytes count.
        if (direction == Direction::Read) std::memcpy(buffer, worker->buffer.data(), result.bytes);
    } else {
        result = {given_up ? IoStatus::TimedOut : IoStatus::Failed, 0};
    }
    worker->let_go();
    return result;
}

}  // namespace

IoResult pipe_read(PipeHandle pipe, void* buffer, size_t size) {
    if (pipe == -1 || size > MAXDWORD) return {};
    return win32::overlapped_transfer(win32::to_handle(pipe), Direction::Read, buffer, static_cast<DWORD>(size),
                                      INFINITE);
}

IoResult pipe_write(PipeHandle pipe, const void* data, size_t size) {
    if (pipe == -1 || size > MAXDWORD) return {};
    return win32::overlapped_transfer(win32::to_handle(pipe), Direction::Write, const_cast<void*>(data),
                                      static_cast<DWORD>(size), INFINITE);
}

IoResult pipe_read_timed(PipeHandle pipe, void* buffer, size_t size, uint32_t timeout_ms) {
    return timed_transfer(pipe, Direction::Read, buffer, size, timeout_ms);
}

IoResult pipe_write_timed(PipeHandle pipe, const void* data, size_t size, uint32_t timeout_ms) {
    return timed_transfer(pipe, Direction::Write, const_cast<void*>(data), size, timeout_ms);
}

void close_pipe(PipeHandle pipe) {
    if (pipe != -1 && pipe != 0) ::CloseHandle(win32::to_handle(pipe));
}

}  // namespace tz::platform
