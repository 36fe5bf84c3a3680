#include "library_open.h"

#include <mutex>
#include <new>

#include "library_state.h"
#include "platform/process.h"
#include "printer_context.h"
#include "status_monitor.h"

namespace tz::lib {
namespace {

// How long the last close waits for the status monitor to end.
constexpr uint32_t kMonitorStopWaitMs = 60000;

// A context with its parts; null when memory is short for either.
PrinterContext* new_context(ContextPartsFactory parts) {
    auto* context = new (std::nothrow) PrinterContext(parts);
    if (context != nullptr && !context->has_parts()) {
        delete context;
        context = nullptr;
    }
    return context;
}

// Releases every context when no thread is attached. Caller holds the library lock.
ResultCode release_all() {
    platform::sleep_ms(50);
    ContextTable& table = context_table();
    int slots = table.slot_count;
    for (int i = 0; i < slots; ++i)
        if (table.thread_ids[i] != kNoThread) return TZP_THREADS_ATTACHED;
    for (int j = 0; j < slots; ++j) {
        PrinterContext* context = table.contexts[j];
        if (context == nullptr) continue;
        table.releasing_slot = j + 1;
        context->release();
        table.contexts[j] = nullptr;
        delete context;
        table.thread_ids[j] = kNoThread;
    }
    table.releasing_slot = 0;
    return TZP_OK;
}

// Creates the missing contexts of the usable slots and initialises them all;
// on a failure every context is released again. Caller holds the library lock.
ResultCode initialise_contexts(OpenKind kind, ContextPartsFactory parts) {
    ContextTable& table = context_table();
    int slots = table.slot_count;
    for (int i = 0; i < slots; ++i) {
        PrinterContext* context = table.contexts[i];
        if (context == nullptr) {
            context = new_context(parts);
            table.contexts[i] = context;
        }
        const ResultCode code = context == nullptr ? ResultCode{TZP_NO_MEMORY} : context->initialise(kind);
        if (code != TZP_OK) {
            release_all();
            return code;
        }
    }
    return TZP_OK;
}

}  // namespace

ResultCode open_library(OpenKind kind, ContextPartsFactory parts) {
    std::lock_guard guard(library_lock());
    ResultCode code = initialise_contexts(kind, parts);
    if (code == TZP_OK && assign_slot() < 0) code = TZP_NO_CONTEXT;
    status_monitor().start();
    return code;
}

void close_library(ClosingThread closing) {
    std::lock_guard guard(library_lock());
    ContextTable& table = context_table();
    uint32_t me = platform::current_thread_id();
    int attached = 0;
    for (auto& id : table.thread_ids) {
        if (id == me) id = kNoThread;
        if (id != kNoThread) ++attached;
    }
    if (attached != 0) return;
    if (status_monitor().running()) {
        const bool may_wait = closing == ClosingThread::Running || platform::thread_end_can_wait_for_threads();
        platform::sleep_ms(10);
        status_monitor().stop(may_wait ? kMonitorStopWaitMs : 0);
    }
    release_all();
}

ResultCode release_contexts() {
    std::lock_guard guard(library_lock());
    return release_all();
}

ResultCode make_slots(int slot_count, ContextPartsFactory parts) {
    std::lock_guard guard(library_lock());
    ContextTable& table = context_table();
    unsigned count = static_cast<uint16_t>(slot_count);
    if (count < static_cast<unsigned>(table.slot_count.load()) || count > kMaxSlots) return TZP_BAD_PARAMETER;
    table.slot_count = static_cast<int>(count);
    for (unsigned i = 0; i < count; ++i) {
        if (table.contexts[i] != nullptr) continue;
        PrinterContext* context = new_context(parts);
        if (context == nullptr) return TZP_NO_MEMORY;
        table.contexts[i] = context;
        if (ResultCode code = context->initialise(OpenKind::Printing); code != TZP_OK) return code;
    }
    return TZP_OK;
}

ResultCode attached_thread_count(uint16_t* attached, uint16_t* slots) {
    std::lock_guard guard(library_lock());
    ContextTable& table = context_table();
    uint16_t count = 0;
    for (auto& id : table.thread_ids)
        if (id != kNoThread) ++count;
    if (attached != nullptr) *attached = count;
    if (slots != nullptr) *slots = static_cast<uint16_t>(table.slot_count.load());
    return TZP_OK;
}

}  // namespace tz::lib
