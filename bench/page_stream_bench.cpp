// bench_page_stream: one Plain 2464 x 3720 RGB page through the exports
// (print area, image format, page start, writes in chunks, page end) into a
// printer end that answers the page start and then only counts bytes,
// against the same bytes written straight into a socket pair of the same
// kind in plain writes of 4096 bytes. Prints MB/s of both and the ratio.
//
// Usage: bench_page_stream [--runs N]   (default 3)
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "fake_usbctrl/fake_usb.h"
#include "scripted_printer.h"
#include "tzpusb.h"

namespace {

using tz::test::Bytes;
using tz::test::normal_answer;

constexpr uint32_t kWidth = 2464, kHeight = 3720;
constexpr size_t kPage = size_t{kWidth} * kHeight * 3;
constexpr uint32_t kChunk = kWidth * 3 * 16;  // 16 lines per tzpusb_write

// Answers `answers` requests in order, then counts every byte it receives
// until `expected` bytes have come or the connection ends.
class CountingPrinter {
public:
    CountingPrinter(int fd, std::vector<Bytes> answers, size_t expected)
        : fd_(fd), answers_(std::move(answers)), expected_(expected), thread_([this] { run(); }) {}
    ~CountingPrinter() { thread_.join(); }
    size_t counted() const { return counted_; }

private:
    void run() {
        std::vector<uint8_t> buffer(65536);
        for (const Bytes& answer : answers_) {
            if (::recv(fd_, buffer.data(), buffer.size(), 0) <= 0) return;
            ::send(fd_, answer.data(), answer.size(), MSG_NOSIGNAL);
        }
        while (counted_ < expected_) {
            const ssize_t n = ::recv(fd_, buffer.data(), buffer.size(), 0);
            if (n <= 0) return;
            counted_ += static_cast<size_t>(n);
        }
    }
    int fd_;
    std::vector<Bytes> answers_;
    size_t expected_;
    std::atomic<size_t> counted_{0};
    std::thread thread_;
};

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The same bytes in plain 4096-byte writes into a fresh socket pair.
double bare_writes(const std::vector<uint8_t>& page) {
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET, 0, fds) != 0) return 0;
    double seconds = 0;
    {
        CountingPrinter printer(fds[1], {}, page.size());
        const auto start = std::chrono::steady_clock::now();
        for (size_t at = 0; at < page.size(); at += 4096) {
            const size_t n = std::min<size_t>(4096, page.size() - at);
            if (::send(fds[0], page.data() + at, n, MSG_NOSIGNAL) != static_cast<ssize_t>(n)) break;
        }
        while (printer.counted() < page.size()) std::this_thread::yield();
        seconds = seconds_since(start);
    }
    ::close(fds[0]);
    ::close(fds[1]);
    return seconds;
}

// The page through the library; 0 on failure. Times the page start, the
// writes and the arrival of the last byte (the page end follows untimed).
double library_page(const std::vector<uint8_t>& page) {
    FakeUsb_Reset();
    const int printer_number = FakeUsb_AddPrinter("BENCH001", 0x0F3C, 0x5A17);
    uint16_t code = 0;
    if (!tzpusb_open(&code)) {
        std::fprintf(stderr, "open failed: %u\n", code);
        return 0;
    }
    Bytes media(16, 0);
    media[4] = kWidth & 0xFF, media[5] = kWidth >> 8, media[6] = kHeight & 0xFF, media[7] = kHeight >> 8;
    const Bytes ack = normal_answer(0, 0);
    std::vector<Bytes> answers{normal_answer(),                                   // the print area's status
                               tz::test::answer_with(media),                      // and media inquiry
                               normal_answer(),                                   // the status
                               normal_answer(),                                   // whether job records come
                               tz::test::status_frame_with_jobs(254, 1, 255, 1),  // the job records
                               tz::test::status_frame_with_jobs(254, 0, 255, 0)};
    for (int i = 0; i < 12; ++i) answers.push_back(ack);  // the laminate strings
    answers.push_back(ack);                               // the Print Command
    double seconds = 0;
    {
        CountingPrinter printer(FakeUsb_PrinterSocket(printer_number), answers, page.size());
        const uint8_t area[10] = {0, kWidth & 0xFF, kWidth >> 8, kHeight & 0xFF, kHeight >> 8, 0, 0, 0, 0, 0};
        uint32_t size = sizeof area;
        bool ok = tzpusb_setPrinterInfo(PINFTAG_MEDIA, area, &size, &code) == 1;
        if (!ok) std::fprintf(stderr, "print area failed: %u\n", code);
        ok = ok && tzpusb_imageformat(3, 3, 8, kWidth, kHeight, 0, 0, &code) == 1;
        const auto start = std::chrono::steady_clock::now();
        uint16_t id = 0;
        ok = ok && tzpusb_startpage(&id, &code) == 1;
        for (size_t at = 0; ok && at < page.size(); at += kChunk) {
            uint32_t n = static_cast<uint32_t>(std::min<size_t>(kChunk, page.size() - at));
            const uint32_t asked = n;
            ok = tzpusb_write(page.data() + at, &n, &code) == 1 && n == asked;
        }
        if (ok) {
            while (printer.counted() < page.size()) std::this_thread::yield();
            seconds = seconds_since(start);
        } else {
            std::fprintf(stderr, "page failed: %u\n", code);
        }
        ::shutdown(FakeUsb_PrinterSocket(printer_number), SHUT_RD);
        tzpusb_endpage(&code);
    }
    tzpusb_close();
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 3;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(1, std::atoi(argv[i + 1]));
    }
    std::vector<uint8_t> page(kPage);
    for (size_t i = 0; i < page.size(); ++i) page[i] = static_cast<uint8_t>(i * 13 + i / 7391);
    double best_page = 1e9, best_bare = 1e9;
    for (int r = 0; r < runs; ++r) {
        const double s = library_page(page);
        if (s <= 0) return 1;
        best_page = std::min(best_page, s);
        best_bare = std::min(best_bare, bare_writes(page));
    }
    const double mb = kPage / 1e6;
    std::printf("page %ux%u RGB Plain (%.1f MB), writes of %u bytes, best of %d runs\n", kWidth, kHeight, mb, kChunk,
                runs);
    std::printf("page through the exports %8.0f MB/s | plain 4096-byte socket writes %8.0f MB/s | ratio %.2fx\n",
                mb / best_page, mb / best_bare, best_bare / best_page);
    return 0;
}
