#include "status_monitor.h"

#include <algorithm>
#include <chrono>

#include "device_table.h"
#include "library_state.h"
#include "platform/status_window.h"
#include "printer_context.h"
#include "selection.h"

namespace tz::lib {
namespace {

constexpr auto kPassInterval = std::chrono::milliseconds(200);
}  // namespace

StatusMonitor& status_monitor() {
    static StatusMonitor monitor;
    return monitor;
}

StatusMonitor::~StatusMonitor() {
    // At process end the thread must not outlive the objects it uses.
    if (thread_.joinable()) {
        stop_ = true;
        wake_.notify_all();
        thread_.join();
    }
}

void StatusMonitor::start() {
    if (thread_.joinable()) return;
    stop_ = false;
    {
        std::lock_guard guard(wake_lock_);
        ended_ = false;
    }
    thread_ = std::thread([this] { run(); });
}

void StatusMonitor::stop(uint32_t timeout_ms) {
    stop_ = true;
    if (!thread_.joinable()) return;
    std::unique_lock lock(wake_lock_);
    wake_.notify_all();
    bool ended = wake_.wait_for(lock, std::chrono::milliseconds(timeout_ms), [this] { return ended_; });
    lock.unlock();
    if (ended)
        thread_.join();
    else
        thread_.detach();
}

void StatusMonitor::run() {
    // The hidden window the monitor keeps for its lifetime (Windows only).
    const platform::StatusWindow window;
    while (!stop_) {
        pass();
        std::unique_lock lock(wake_lock_);
        wake_.wait_for(lock, kPassInterval, [this] { return stop_.load(); });
    }
    std::lock_guard guard(wake_lock_);
    ended_ = true;
    wake_.notify_all();
}

void StatusMonitor::pass() {
    std::unique_lock lock(library_lock(), std::try_to_lock);
    if (!lock.owns_lock()) return;  // open, close, list or select is running: next time
    ContextTable& table = context_table();
    int slots = table.slot_count;
    for (int i = 0; i < slots; ++i)
        if (PrinterContext* context = table.contexts[i]) check_presence(*context);
    if (PrinterContext* first = table.contexts[0]) sweep_devices(*first);
}

void check_presence(PrinterContext& context) {
    const uint8_t index = context.selection.index();
    if (index >= kDeviceTableSize || !context.usb.loaded()) return;
    if (!selection_current(context)) {
        // Given up by a sweep, or taken by another connection: nothing of it
        // is left to close here.
        deselect(context);
        context.selection.clear();
        return;
    }
    DeviceEntry& entry = device_table()[index];
    if (printer_present(context, entry)) return;
    std::shared_ptr<platform::NamedMutex> mutex = entry.mutex();
    DeviceMutexTry hold(mutex.get(), kPresenceWaitMs);
    if (mutex && !hold.held()) return;  // an operation is running on it; it will fail on its own
    deselect(context);
    context.selection.clear();
}

}  // namespace tz::lib
