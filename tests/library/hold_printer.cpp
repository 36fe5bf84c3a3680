// tz5170-test-hold-printer SERIAL: a second process for the tests. It opens
// the library, selects the printer, takes it, says "held" on stdout and keeps
// it until its stdin ends (at most 30 s).
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>

#include "core/acquisition.h"
#include "core/library_state.h"
#include "tzpusb.h"

namespace {

struct InputEnd {
    std::mutex lock;
    std::condition_variable ended;
    bool done = false;
};

// Waits until standard input ends or `limit` passed.
void wait_for_input_end(std::chrono::seconds limit) {
    auto end = std::make_shared<InputEnd>();
    std::thread([end] {
        while (std::getchar() != EOF) {
        }
        std::lock_guard guard(end->lock);
        end->done = true;
        end->ended.notify_all();
    }).detach();
    std::unique_lock lock(end->lock);
    end->ended.wait_for(lock, limit, [&] { return end->done; });
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    uint16_t code = 0;
    if (!tzpusb_open(&code)) {
        std::printf("open %u\n", code);
        return 1;
    }
    tzpusb_selectPrinterSN(argv[1], &code);
    if (code != 0) {
        std::printf("select %u\n", code);
        return 1;
    }
    int status = 0;
    {
        tz::lib::PrinterHold hold;
        const tz::lib::ResultCode acquired = tz::lib::acquire_printer(*tz::lib::calling_context(), hold);
        std::printf("%s %u\n", hold.held() ? "held" : "refused", acquired);
        std::fflush(stdout);
        wait_for_input_end(std::chrono::seconds(30));
        status = hold.held() ? 0 : 1;
    }
    tzpusb_close();
    return status;
}
