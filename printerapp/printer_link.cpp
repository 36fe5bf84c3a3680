#include "printer_link.h"

#include "tzpusb.h"

namespace tz::app {

PrinterLink::PrinterLink(std::string serial) : serial_(std::move(serial)) {
    thread_ = std::thread([this] { run(); });
}

PrinterLink::~PrinterLink() { stop(); }

void PrinterLink::stop() {
    {
        std::lock_guard guard(lock_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

bool PrinterLink::post(std::function<void()> task) {
    {
        std::lock_guard guard(lock_);
        if (stopping_) return false;
        queue_.push_back(std::move(task));
    }
    wake_.notify_all();
    return true;
}

bool PrinterLink::idle() {
    std::lock_guard guard(lock_);
    return queue_.empty();
}

bool PrinterLink::stopping() const {
    std::lock_guard guard(lock_);
    return stopping_;
}

bool PrinterLink::run_one(std::unique_lock<std::mutex>& lock) {
    if (queue_.empty()) return false;
    std::function<void()> task = std::move(queue_.front());
    queue_.pop_front();
    lock.unlock();
    task();
    lock.lock();
    return true;
}

bool PrinterLink::serve_for(std::chrono::milliseconds time) {
    const auto until = std::chrono::steady_clock::now() + time;
    std::unique_lock lock(lock_);
    while (!stopping_) {
        if (run_one(lock)) continue;
        if (wake_.wait_until(lock, until) == std::cv_status::timeout) {
            while (!stopping_ && run_one(lock)) {
            }
            break;
        }
    }
    return !stopping_;
}

void PrinterLink::run() {
    std::unique_lock lock(lock_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_) break;
        run_one(lock);
    }
    // Calls still queued are dropped; their waiters time out.
    queue_.clear();
    lock.unlock();
    if (open_) tzpusb_close();
}

unsigned PrinterLink::select() {
    uint16_t code = 0;
    if (!open_) {
        if (!tzpusb_open(&code)) {
            tzpusb_close();  // gives the slot back; tried again next time
            return code != 0 ? code : unsigned{TZP_NO_PRINTER};
        }
        open_ = true;
        selected_ = false;
    }
    if (selected_) return TZP_OK;
    char serials[1024] = {};
    tzpusb_listupPrinterSN(serials);
    char* chosen = tzpusb_selectPrinterSN(serial_.c_str(), &code);
    if (chosen == nullptr || code != 0) return code != 0 ? code : unsigned{TZP_NOT_FOUND};
    selected_ = true;
    return TZP_OK;
}

void PrinterLink::lost() { selected_ = false; }

}  // namespace tz::app
