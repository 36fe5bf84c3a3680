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
        run_->stop = true;
        run_->wake.notify_all();
        thread_.join();
    }
}

void StatusMonitor::start() {
    if (thread_.joinable()) return;
    run_ = std::make_shared<Run>();
    thread_ = std::thread([run = run_] { StatusMonitor::run(run); });
}

void StatusMonitor::stop(uint32_t timeout_ms) {
    if (!thread_.joinable()) return;
    run_->stop = true;
    std::unique_lock lock(run_->wake_lock);
    run_->wake.notify_all();
    bool ended = run_->wake.wait_for(lock, std::chrono::milliseconds(timeout_ms), [this] { return run_->ended; });
    lock.unlock();
    if (ended)
        thread_.join();
    else
        thread_.detach();
    run_.reset();
}

void StatusMonitor::run(const std::shared_ptr<Run>& run) {
    // The hidden window the monitor keeps for its lifetime (Windows only).
    const platform::StatusWindow window;
    while (!run->stop) {
        pass();
        std::unique_lock lock(run->wake_lock);
        run->wake.wait_for(lock, kPassInterval, [&run] { return run->stop.load(); });
    }
    std::lock_guard guard(run->wake_lock);
    run->ended = true;
    run->wake.notify_all();
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
