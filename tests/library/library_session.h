// Helpers for tests of the printer-control library inside the test process.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

#include "api/context_sessions.h"
#include "core/printer_context.h"
#include "core/library_state.h"
#include "platform/environment.h"
#include "tzpusb.h"

namespace tz::test {

// Timed transfers give up after this long in the library tests.
inline constexpr int kTestIoTimeoutMs = 400;

// Sets the shortened time limit before the library first reads it.
struct ShortIoTimeout {
    ShortIoTimeout() { tz::platform::set_environment("TZ5170_IO_TIMEOUT_MS", std::to_string(kTestIoTimeoutMs), false); }
};
inline ShortIoTimeout short_io_timeout;

// Opens the library on construction and closes it from this thread at the end.
class OpenLibrary {
public:
    OpenLibrary() { ok_ = tzpusb_open(&code_) == 1; }
    ~OpenLibrary() { tzpusb_close(); }
    bool ok() const { return ok_; }
    uint16_t code() const { return code_; }

private:
    bool ok_ = false;
    uint16_t code_ = 0xFFFF;
};

// The calling thread's context, for looking at what the exports did.
inline lib::PrinterContext& my_context() {
    lib::PrinterContext* context = lib::calling_context();
    EXPECT_NE(context, nullptr);
    return *context;
}

// Points the calling thread's selection at device-table entry `index`, as
// it stands, whatever the entry holds.
inline void point_selection_at(uint8_t index) {
    lib::Selection selected = my_context().selection.load();
    selected.index = index;
    my_context().selection.store(selected);
}

// The calling thread's print session, and its job settings.
inline lib::PrintSession& my_print() { return lib::print_session(my_context()); }
inline lib::PrintJobState& my_job() { return my_print().job; }

// Waits up to `limit` for `condition`, looking every 10 ms.
inline bool eventually(const std::function<bool()>& condition,
                       std::chrono::milliseconds limit = std::chrono::milliseconds(10000)) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

// The number of thread slots now (it only ever grows within a process).
inline int slot_count() {
    uint16_t slots = 0;
    tzpusb_AttachThreadCount(nullptr, &slots);
    return slots;
}

// Makes sure there are at least `count` slots.
inline bool at_least_slots(int count) { return tzpusb_MakeThread(std::max(count, slot_count())) == 1; }

// The code of one tzpusb_status call of the calling thread.
inline uint16_t status_code() {
    uint16_t code = 0xFFFF;
    tzpusb_status(&code);
    return code;
}

// The code of selecting the printer with this serial.
inline uint16_t select_serial(const char* serial) {
    uint16_t code = 0xFFFF;
    tzpusb_selectPrinterSN(serial, &code);
    return code;
}

// How many printers a list call finds now.
inline uint16_t list_count() {
    char serials[1024];
    return tzpusb_listupPrinterSN(serials);
}

// Runs `work` on a thread of its own and waits for it.
inline void on_other_thread(const std::function<void()>& work) {
    std::thread thread(work);
    thread.join();
}

}  // namespace tz::test
