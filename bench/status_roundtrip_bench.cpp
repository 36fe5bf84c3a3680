// One status inquiry and its answer: through the printer-control library
// (tzpusb_status, with printer acquisition, timed transfers and decoding)
// against the same request and answer over a bare socket pair. Prints the
// ratio of the two in one run.
#include <benchmark/benchmark.h>

#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "fake_usbctrl/fake_usb.h"
#include "tzpusb.h"

namespace {

// Answers every transfer on `fd` with an idle status frame until told to stop.
class Responder {
public:
    explicit Responder(int fd) : fd_(fd), thread_([this] { run(); }) {}
    ~Responder() {
        stop_ = true;
        ::shutdown(fd_, SHUT_RD);
        thread_.join();
    }

private:
    void run() {
        std::vector<uint8_t> frame(75, 0);
        frame[0] = 0x01;
        frame[8] = 65;
        uint8_t request[512];
        while (!stop_) {
            ssize_t n = ::recv(fd_, request, sizeof request, 0);
            if (n <= 0) break;
            ::send(fd_, frame.data(), frame.size(), MSG_NOSIGNAL);
        }
    }
    int fd_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

void BareSocketPair(benchmark::State& state) {
    int fds[2];
    ::socketpair(AF_UNIX, SOCK_SEQPACKET, 0, fds);
    {
        Responder responder(fds[1]);
        const uint8_t request[4] = {0x01, 0x00, 0x00, 0x00};
        uint8_t frame[300];
        for (auto _ : state) {
            ::send(fds[0], request, sizeof request, MSG_NOSIGNAL);
            benchmark::DoNotOptimize(::recv(fds[0], frame, sizeof frame, 0));
        }
    }
    ::close(fds[0]);
    ::close(fds[1]);
}
BENCHMARK(BareSocketPair)->UseRealTime();

void LibraryStatus(benchmark::State& state) {
    FakeUsb_Reset();
    int printer = FakeUsb_AddPrinter("BENCH001", 0x0F3C, 0x5A17);
    uint16_t code = 0;
    if (!tzpusb_open(&code)) {
        state.SkipWithError("the library did not open");
        return;
    }
    {
        Responder responder(FakeUsb_PrinterSocket(printer));
        for (auto _ : state) {
            if (!tzpusb_status(&code)) state.SkipWithError("status failed");
        }
    }
    tzpusb_close();
    FakeUsb_Reset();
}
BENCHMARK(LibraryStatus)->UseRealTime();

// Keeps the real time per iteration of each benchmark for the ratio: the
// median of the repetitions when there are several, else the one run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && run.iterations > 0)
                nanoseconds_.emplace(run.run_name.str(), run.GetAdjustedRealTime());
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                nanoseconds_[run.run_name.str()] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> nanoseconds_;
};

}  // namespace

int main(int argc, char** argv) {
    // Unless told otherwise: ten short repetitions of each, the two kinds
    // interleaved at random, so that a change in the machine's load falls on
    // both sides of the ratio alike.
    std::vector<char*> args(argv, argv + argc);
    bool repetitions_given = false;
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]).rfind("--benchmark_repetitions", 0) == 0) repetitions_given = true;
    static char repetitions[] = "--benchmark_repetitions=10";
    static char interleaving[] = "--benchmark_enable_random_interleaving=true";
    static char summary[] = "--benchmark_report_aggregates_only=true";
    if (!repetitions_given) args.insert(args.begin() + 1, {repetitions, interleaving, summary});
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto bare = reporter.nanoseconds_.find("BareSocketPair/real_time");
    auto library = reporter.nanoseconds_.find("LibraryStatus/real_time");
    if (bare != reporter.nanoseconds_.end() && library != reporter.nanoseconds_.end() && bare->second > 0)
        std::printf("ratio LibraryStatus / BareSocketPair (baseline) = %.2f (the library adds %.0f%%)\n",
                    library->second / bare->second, 100.0 * (library->second / bare->second - 1.0));
    benchmark::Shutdown();
    return 0;
}
