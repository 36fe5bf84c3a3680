// One printer's own thread, with its own context of the printer-control
// library (the library's contexts belong to threads): everything said to
// that printer runs there, one thing after another, so that one printer
// never waits for another.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace tz::app {

class PrinterLink {
public:
    explicit PrinterLink(std::string serial);
    ~PrinterLink();
    PrinterLink(const PrinterLink&) = delete;
    PrinterLink& operator=(const PrinterLink&) = delete;

    const std::string& serial() const { return serial_; }

    // Runs `task` on the link's thread and waits for its value at most
    // `limit`; nothing when the time ran out (the task still runs later)
    // or the link stops.
    template <class T>
    std::optional<T> call(std::function<T()> task, std::chrono::milliseconds limit) {
        auto promise = std::make_shared<std::promise<T>>();
        std::future<T> value = promise->get_future();
        if (!post([promise, task = std::move(task)] { promise->set_value(task()); })) return std::nullopt;
        if (value.wait_for(limit) != std::future_status::ready) return std::nullopt;
        try {
            return value.get();
        } catch (const std::future_error&) {  // dropped unrun: the link stopped
            return std::nullopt;
        }
    }
    // Queues `task` without waiting; false when the link stops.
    bool post(std::function<void()> task);
    // True while nothing waits to run (a poll then need not queue another).
    bool idle();

    // On the link's thread only: serves what was queued meanwhile for
    // `time`, so that a long task (a page followed to its end) lets status
    // inquiries and the web pages through between its own steps. false once
    // the link stops.
    bool serve_for(std::chrono::milliseconds time);
    bool stopping() const;

    // On the link's thread only: the library opened and this printer
    // selected, listing the printers again first when it was lost. The
    // library's code (0 when selected).
    unsigned select();
    // On the link's thread: the last call said the printer is gone; the next
    // select() looks for it again.
    void lost();

    // Ends the thread after the task that runs now; waits for it.
    void stop();

private:
    void run();
    bool run_one(std::unique_lock<std::mutex>& lock);

    const std::string serial_;
    mutable std::mutex lock_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> queue_;
    bool stopping_ = false;
    bool open_ = false;      // the library is open on the thread
    bool selected_ = false;  // this printer is selected in its context
    std::thread thread_;
};

}  // namespace tz::app
