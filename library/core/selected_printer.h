// Which printer a context talks to, as one value, and the slot a context
// keeps it in.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "device_table.h"

namespace tz::lib {

struct Selection {
    uint8_t index = kNoPrinter;  // the device-table entry
    // The entry's generation and the printer's serial when it was selected:
    // an entry that has moved on since is a stale selection, never another
    // printer.
    uint32_t generation = 0;
    Serial serial{};
    // The entry's pipe handles then, and its count of answers still owed
    // (none kept when null).
    intptr_t write_pipe = -1;
    intptr_t read_pipe = -1;
    std::atomic<uint32_t>* answers_owed = nullptr;

    bool made() const { return index < kDeviceTableSize; }
};

// A context's selection. Its own thread selects; the status monitor drops a
// selection whose printer has gone, and a status inquiry of several printers
// points the context at each in turn and back. Each reads or writes the whole
// value at once, under the slot's own lock, which is taken last: nothing else
// is locked while it is held.
class SelectionSlot {
public:
    Selection load() const {
        std::lock_guard guard(lock_);
        return value_;
    }
    void store(const Selection& selection) {
        std::lock_guard guard(lock_);
        value_ = selection;
    }
    uint8_t index() const { return load().index; }
    // The pipe handles are no longer the context's to use or close.
    void forget_pipes() {
        std::lock_guard guard(lock_);
        value_.write_pipe = -1;
        value_.read_pipe = -1;
    }
    // No printer selected.
    void clear() {
        std::lock_guard guard(lock_);
        value_.index = kNoPrinter;
        value_.write_pipe = -1;
        value_.read_pipe = -1;
    }

private:
    mutable std::mutex lock_;
    Selection value_;
};

}  // namespace tz::lib
