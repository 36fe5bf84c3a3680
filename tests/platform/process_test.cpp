// Thread and process identity, sleeping.

#include "platform/process.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <set>
#include <thread>
#include <vector>

namespace tz::platform {
namespace {

using namespace std::chrono_literals;

TEST(ThreadId, DiffersBetweenLiveThreadsAndStaysPutWithinOne) {
    const uint32_t main_id = current_thread_id();
    EXPECT_NE(main_id, 0u);
    EXPECT_EQ(current_thread_id(), main_id);

    constexpr int kThreads = 4;
    std::promise<void> all_started;
    std::shared_future<void> go = all_started.get_future().share();
    std::vector<std::future<std::pair<uint32_t, uint32_t>>> ids;
    for (int i = 0; i < kThreads; ++i) {
        // Every thread stays alive until all have read their id, so the
        // system cannot hand one id out twice.
        ids.push_back(std::async(std::launch::async, [go] {
            uint32_t first = current_thread_id();
            go.wait_for(10s);
            return std::pair{first, current_thread_id()};
        }));
    }
    all_started.set_value();
    std::set<uint32_t> seen{main_id};
    for (auto& id : ids) {
        auto [first, again] = id.get();
        EXPECT_EQ(first, again);
        EXPECT_NE(first, 0u);
        seen.insert(first);
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(kThreads + 1));
}

TEST(ProcessId, IsTheSameInEveryThreadOfTheProcess) {
    const uint32_t id = current_process_id();
    EXPECT_EQ(id, static_cast<uint32_t>(::getpid()));
    EXPECT_EQ(std::async(std::launch::async, current_process_id).get(), id);
}

TEST(SleepMs, SleepsAboutAsLongAsAsked) {
    auto start = std::chrono::steady_clock::now();
    sleep_ms(200);
    auto slept = std::chrono::steady_clock::now() - start;
    EXPECT_GE(slept, 195ms);
    EXPECT_LT(slept, 3s);

    start = std::chrono::steady_clock::now();
    sleep_ms(0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
}

extern "C" void ignore_signal(int) {}

TEST(SleepMs, KeepsSleepingWhenASignalArrives) {
    struct sigaction action {};
    action.sa_handler = ignore_signal;  // no SA_RESTART: the sleep is interrupted
    struct sigaction previous {};
    ASSERT_EQ(::sigaction(SIGUSR1, &action, &previous), 0);

    pthread_t sleeper = ::pthread_self();
    std::atomic<bool> stop{false};
    std::thread disturber([&] {
        for (int i = 0; i < 10 && !stop.load(); ++i) {
            std::this_thread::sleep_for(30ms);
            ::pthread_kill(sleeper, SIGUSR1);
        }
    });
    auto start = std::chrono::steady_clock::now();
    sleep_ms(400);
    auto slept = std::chrono::steady_clock::now() - start;
    stop = true;
    disturber.join();
    ::sigaction(SIGUSR1, &previous, nullptr);

    EXPECT_GE(slept, 390ms);
    EXPECT_LT(slept, 5s);
}

}  // namespace
}  // namespace tz::platform
