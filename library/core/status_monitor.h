// The background thread that notices printers that have gone: every 200 ms
// it checks the printer each context has selected and sweeps the device table.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "device_release.h"

namespace tz::lib {

class StatusMonitor {
public:
    ~StatusMonitor();

    bool running() const { return thread_.joinable(); }
    // Starts the thread when none runs.
    void start();
    // Asks the thread to end and waits for it up to `timeout_ms`; a thread
    // that does not end in time is left to finish on its own.
    void stop(uint32_t timeout_ms);

private:
    void run();
    void pass();

    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::mutex wake_lock_;
    std::condition_variable wake_;
    bool ended_ = false;  // guarded by wake_lock_
};

StatusMonitor& status_monitor();

// One pass's work for one context; also used by tests to run a pass without
// the thread. The sweep of the device table is in device_release.h.
void check_presence(class PrinterContext& context);

}  // namespace tz::lib
