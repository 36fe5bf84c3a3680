// The background thread that notices printers that have gone: every 200 ms
// it checks the printer each context has selected and sweeps the device table.
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
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
    // that does not end in time (or at once, with 0) is left to finish on its
    // own, and a later start never wakes it again.
    void stop(uint32_t timeout_ms);

private:
    // What one thread and the one who stops it share; a thread left to
    // finish on its own keeps its own.
    struct Run {
        std::atomic<bool> stop{false};
        std::mutex wake_lock;
        std::condition_variable wake;
        bool ended = false;  // guarded by wake_lock
    };

    static void run(const std::shared_ptr<Run>& run);
    static void pass();

    std::thread thread_;
    std::shared_ptr<Run> run_;
};

StatusMonitor& status_monitor();

// One pass's work for one context; also used by tests to run a pass without
// the thread. The sweep of the device table is in device_release.h.
void check_presence(class PrinterContext& context);

}  // namespace tz::lib
