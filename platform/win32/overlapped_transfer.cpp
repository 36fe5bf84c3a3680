#include "overlapped_transfer.h"

namespace tz::platform::win32 {
namespace {

struct Outcome {
    BOOL ok = FALSE;
    DWORD error = ERROR_SUCCESS;
    DWORD bytes = 0;
};

Outcome start_and_wait(HANDLE handle, Direction direction, void* buffer, DWORD size, DWORD limit_ms, HANDLE stop,
                       bool& stopped) {
    Outcome outcome;
    OwnedHandle event(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!event.valid()) {
        outcome.error = ::GetLastError();
        return outcome;
    }
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.get();
    BOOL started = direction == Direction::Read ? ::ReadFile(handle, buffer, size, nullptr, &overlapped)
                                                : ::WriteFile(handle, buffer, size, nullptr, &overlapped);
    if (!started) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_IO_PENDING && error != ERROR_MORE_DATA) {
            outcome.error = error;
            return outcome;
        }
        if (error == ERROR_IO_PENDING) {
            HANDLE waits[2] = {event.get(), stop};
            const DWORD count = stop != nullptr ? 2 : 1;
            const DWORD woken = ::WaitForMultipleObjects(count, waits, FALSE, limit_ms);
            if (woken != WAIT_OBJECT_0) {
                // Given up: cancel, then wait until the system has let go of
                // `overlapped` and the buffer. It may have finished meanwhile.
                ::CancelIoEx(handle, &overlapped);
                stopped = true;
            }
        }
    }
    outcome.ok = ::GetOverlappedResult(handle, &overlapped, &outcome.bytes, TRUE);
    outcome.error = outcome.ok ? ERROR_SUCCESS : ::GetLastError();
    if (outcome.ok || outcome.error == ERROR_MORE_DATA) stopped = false;
    return outcome;
}

}  // namespace

IoResult overlapped_transfer(HANDLE handle, Direction direction, void* buffer, DWORD size, DWORD limit_ms,
                             HANDLE stop) {
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || buffer == nullptr) return {};
    bool stopped = false;
    Outcome outcome = start_and_wait(handle, direction, buffer, size, limit_ms, stop, stopped);
    if (stopped) return {IoStatus::TimedOut, 0};
    if (!outcome.ok && outcome.error != ERROR_MORE_DATA) return {};
    if (outcome.error == ERROR_MORE_DATA) {
        // The rest of a message longer than the buffer is dropped.
        char rest[4096];
        Outcome more;
        do {
            bool ignored = false;
            more = start_and_wait(handle, Direction::Read, rest, sizeof rest, INFINITE, nullptr, ignored);
        } while (!more.ok && more.error == ERROR_MORE_DATA);
    }
    if (outcome.bytes == 0) return {};  // nothing moved: as a closed connection
    return {IoStatus::Ok, outcome.bytes};
}

}  // namespace tz::platform::win32
