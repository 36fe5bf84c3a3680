// The named mutex inside one process: ownership, recursion, time-outs,
// abandonment by a thread, several objects of one name, removal of the system
// object, unusual names.

#include "platform/named_mutex.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "mutex_test_support.h"

namespace tz::platform {
namespace {

using namespace std::chrono_literals;
using test::ScopedMutexName;
#ifndef _WIN32
using test::system_object_exists;
#endif
using test::unique_stem;

// Waits on `mutex` from a new thread; what it obtains it releases again
// before the thread ends.
WaitResult wait_from_other_thread(NamedMutex& mutex, uint32_t timeout_ms) {
    return std::async(std::launch::async, [&mutex, timeout_ms] {
               WaitResult result = mutex.wait(timeout_ms);
               if (result == WaitResult::Obtained || result == WaitResult::Abandoned) {
                   if (!mutex.release()) return WaitResult::Failed;
               }
               return result;
           })
        .get();
}

// The same through an object of its own, opened by name in that thread.
WaitResult wait_from_other_thread(const std::string& name, uint32_t timeout_ms) {
    return std::async(std::launch::async, [&name, timeout_ms] {
               auto mutex = NamedMutex::open(name);
               if (!mutex) return WaitResult::Failed;
               WaitResult result = mutex->wait(timeout_ms);
               if (result == WaitResult::Obtained || result == WaitResult::Abandoned) {
                   if (!mutex->release()) return WaitResult::Failed;
               }
               return result;
           })
        .get();
}

// A thread that takes the mutex and keeps it until let_go().
class Holder {
public:
    explicit Holder(NamedMutex& mutex)
        : thread_([this, &mutex] {
              WaitResult result = mutex.wait(5000);
              taken_.set_value(result);
              let_go_.get_future().wait_for(30s);
              released_.set_value(result == WaitResult::Obtained && mutex.release());
          }) {}
    ~Holder() {
        if (thread_.joinable()) let_go();
    }
    Holder(const Holder&) = delete;
    Holder& operator=(const Holder&) = delete;

    WaitResult taken() {
        auto future = taken_.get_future();
        return future.wait_for(10s) == std::future_status::ready ? future.get() : WaitResult::Failed;
    }
    // Releases and ends the thread; true when its release succeeded.
    bool let_go() {
        let_go_.set_value();
        thread_.join();
        return released_.get_future().get();
    }

private:
    std::promise<WaitResult> taken_;
    std::promise<void> let_go_;
    std::promise<bool> released_;
    std::thread thread_;
};

TEST(NamedMutex, IsNotOwnedWhenCreated) {
    ScopedMutexName name;
    auto mutex = NamedMutex::open(name.str());
    ASSERT_TRUE(mutex);
    EXPECT_FALSE(mutex->release());
    EXPECT_EQ(wait_from_other_thread(*mutex, 0), WaitResult::Obtained);
}

TEST(NamedMutex, OwnerMayEnterAgainAndEachWaitNeedsOneRelease) {
    ScopedMutexName name;
    auto mutex = NamedMutex::open(name.str());
    ASSERT_TRUE(mutex);

    ASSERT_EQ(mutex->wait(0), WaitResult::Obtained);
    ASSERT_EQ(mutex->wait(500), WaitResult::Obtained);
    EXPECT_EQ(mutex->wait(0), WaitResult::Obtained);
    EXPECT_EQ(wait_from_other_thread(*mutex, 0), WaitResult::TimedOut);

    EXPECT_TRUE(mutex->release());
    EXPECT_EQ(wait_from_other_thread(*mutex, 0), WaitResult::TimedOut);
    EXPECT_TRUE(mutex->release());
    EXPECT_EQ(wait_from_other_thread(*mutex, 0), WaitResult::TimedOut);
    EXPECT_TRUE(mutex->release());

    EXPECT_EQ(wait_from_other_thread(*mutex, 0), WaitResult::Obtained);
    EXPECT_FALSE(mutex->release()) << "one release more than waits";
}

TEST(NamedMutex, ReleaseByAThreadThatDoesNotOwnItFailsAndChangesNothing) {
    ScopedMutexName name;
    auto mutex = NamedMutex::open(name.str());
    ASSERT_TRUE(mutex);
    ASSERT_EQ(mutex->wait(0), WaitResult::Obtained);

    bool released_by_other =
        std::async(std::launch::async, [&mutex] { return mutex->release(); }).get();
    EXPECT_FALSE(released_by_other);
    EXPECT_EQ(wait_from_other_thread(*mutex, 0), WaitResult::TimedOut);

    EXPECT_TRUE(mutex->release());
    EXPECT_EQ(wait_from_other_thread(*mutex, 0), WaitResult::Obtained);
}

TEST(NamedMutex, WaitGivesUpAfterItsLimit) {
    ScopedMutexName name;
    auto mutex = NamedMutex::open(name.str());
    ASSERT_TRUE(mutex);
    Holder holder(*mutex);
    ASSERT_EQ(holder.taken(), WaitResult::Obtained);

    auto start = std::chrono::steady_clock::now();
    WaitResult result = mutex->wait(500);
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(result, WaitResult::TimedOut);
    EXPECT_GE(waited, 450ms);
    EXPECT_LT(waited, 3s);

    start = std::chrono::steady_clock::now();
    EXPECT_EQ(mutex->wait(0), WaitResult::TimedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s) << "a wait of 0 only tries";

    EXPECT_TRUE(holder.let_go());
    EXPECT_EQ(mutex->wait(0), WaitResult::Obtained);
    EXPECT_TRUE(mutex->release());
}

TEST(NamedMutex, WaiterObtainsItWhenTheOwnerReleasesDuringTheWait) {
    ScopedMutexName name;
    auto mutex = NamedMutex::open(name.str());
    ASSERT_TRUE(mutex);
    ASSERT_EQ(mutex->wait(0), WaitResult::Obtained);

    auto waiter = std::async(std::launch::async, [&mutex] {
        WaitResult result = mutex->wait(20000);
        if (result == WaitResult::Obtained && !mutex->release()) return WaitResult::Failed;
        return result;
    });
    // Give the waiter time to block; correctness does not depend on it.
    std::this_thread::sleep_for(100ms);
    EXPECT_TRUE(mutex->release());
    ASSERT_EQ(waiter.wait_for(15s), std::future_status::ready);
    EXPECT_EQ(waiter.get(), WaitResult::Obtained);
}

TEST(NamedMutex, ThreadThatEndsWhileOwningItLeavesItAbandoned) {
    ScopedMutexName name;
    auto mutex = NamedMutex::open(name.str());
    ASSERT_TRUE(mutex);
    std::thread([&mutex] {
        // Taken twice and never released.
        mutex->wait(0);
        mutex->wait(0);
    }).join();

    EXPECT_EQ(mutex->wait(500), WaitResult::Abandoned);
    EXPECT_EQ(wait_from_other_thread(*mutex, 0), WaitResult::TimedOut) << "the new owner holds it";
    EXPECT_TRUE(mutex->release());
    EXPECT_FALSE(mutex->release()) << "taking it over counts as one entry";
    EXPECT_EQ(mutex->wait(500), WaitResult::Obtained);
    EXPECT_TRUE(mutex->release());
}

TEST(NamedMutex, TwoObjectsOfOneNameAreOneMutex) {
    ScopedMutexName name;
    auto first = NamedMutex::open(name.str());
    auto second = NamedMutex::open(name.str());
    ASSERT_TRUE(first);
    ASSERT_TRUE(second);

    ASSERT_EQ(first->wait(0), WaitResult::Obtained);
    EXPECT_EQ(wait_from_other_thread(*second, 0), WaitResult::TimedOut);
    EXPECT_EQ(wait_from_other_thread(*second, 200), WaitResult::TimedOut);
    EXPECT_EQ(wait_from_other_thread(name.str(), 0), WaitResult::TimedOut);

    // The owner may enter through either object and release through either.
    EXPECT_EQ(second->wait(0), WaitResult::Obtained);
    EXPECT_TRUE(first->release());
    EXPECT_EQ(wait_from_other_thread(*second, 0), WaitResult::TimedOut);
    EXPECT_TRUE(second->release());
    EXPECT_EQ(wait_from_other_thread(*second, 0), WaitResult::Obtained);
    EXPECT_EQ(wait_from_other_thread(name.str(), 0), WaitResult::Obtained);
}

TEST(NamedMutex, ClosingOneObjectLeavesTheOthersWorking) {
    ScopedMutexName name;
    auto kept = NamedMutex::open(name.str());
    ASSERT_TRUE(kept);
    {
        auto closed = NamedMutex::open(name.str());
        ASSERT_TRUE(closed);
        ASSERT_EQ(closed->wait(0), WaitResult::Obtained);
        EXPECT_TRUE(closed->release());
    }
    ASSERT_EQ(kept->wait(0), WaitResult::Obtained);
    EXPECT_EQ(wait_from_other_thread(name.str(), 0), WaitResult::TimedOut);
    EXPECT_TRUE(kept->release());
}

// Linux keeps the mutex of a name while a thread owns it; Windows removes it
// with its last handle, as its own programs expect.
#ifndef _WIN32
TEST(NamedMutex, ClosingTheLastObjectWhileOwningItDoesNotReleaseIt) {
    ScopedMutexName name;
    {
        auto closed = NamedMutex::open(name.str());
        ASSERT_TRUE(closed);
        ASSERT_EQ(closed->wait(0), WaitResult::Obtained);
    }
    EXPECT_EQ(wait_from_other_thread(name.str(), 0), WaitResult::TimedOut);
    // This thread still owns it and can release it through a new object.
    auto reopened = NamedMutex::open(name.str());
    ASSERT_TRUE(reopened);
    EXPECT_TRUE(reopened->release());
    EXPECT_EQ(wait_from_other_thread(name.str(), 0), WaitResult::Obtained);
}
#endif

// The system object behind a name and its removal (Linux: a shared-memory
// object; Windows removes a named mutex with its last handle).
#ifndef _WIN32
TEST(NamedMutex, SystemObjectGoesWithTheLastObjectOfItsNameButNotWhileOwned) {
    ScopedMutexName name;
    auto first = NamedMutex::open(name.str());
    auto second = NamedMutex::open(name.str());
    ASSERT_TRUE(first && second);
    EXPECT_TRUE(system_object_exists(name.str()));
    first.reset();
    EXPECT_TRUE(system_object_exists(name.str()));

    ASSERT_EQ(second->wait(0), WaitResult::Obtained);
    second.reset();
    EXPECT_TRUE(system_object_exists(name.str())) << "this thread still owns it";
    auto reopened = NamedMutex::open(name.str());
    ASSERT_TRUE(reopened);
    EXPECT_TRUE(reopened->release());
    reopened.reset();
    EXPECT_FALSE(system_object_exists(name.str()));

    // The name works as before afterwards.
    auto fresh = NamedMutex::open(name.str());
    ASSERT_TRUE(fresh);
    EXPECT_EQ(fresh->wait(0), WaitResult::Obtained);
    EXPECT_TRUE(fresh->release());
}

TEST(NamedMutex, OpenAfterRemoveMakesANewMutex) {
    ScopedMutexName name;
    auto old_mutex = NamedMutex::open(name.str());
    ASSERT_TRUE(old_mutex);
    ASSERT_EQ(old_mutex->wait(0), WaitResult::Obtained);

    NamedMutex::remove(name.str());
    auto new_mutex = NamedMutex::open(name.str());
    ASSERT_TRUE(new_mutex);
    EXPECT_EQ(wait_from_other_thread(*new_mutex, 0), WaitResult::Obtained);
    EXPECT_EQ(wait_from_other_thread(*old_mutex, 0), WaitResult::TimedOut)
        << "the removed one still works for those who have it";
    EXPECT_TRUE(old_mutex->release());
    old_mutex.reset();
    EXPECT_TRUE(system_object_exists(name.str())) << "closing the removed one leaves its successor alone";
}
#endif

// Names as the printer library makes them, and worse.
TEST(NamedMutex, NamesWithAnyCharactersWork) {
    const std::string stem = unique_stem();
    const std::vector<std::string> names = {
        "usb#vid_0f3c&pid_5a17#" + stem + "#{a5dcbf10-6530-11d2-901f-00c04fb951ed}",
        stem + "/with/slashes\\and\\backslashes",
        stem + " spaces and \t tab",
        stem + "-\xc3\xbc\xc3\xb1\xc3\xaf",  // UTF-8
        stem + std::string("-nul\0inside", 11),
        stem + std::string(1000, 'x'),
        stem + std::string(300, '#'),
        "/" + stem,
        "../" + stem,
    };
    for (const std::string& text : names) {
        SCOPED_TRACE(text);
        auto name = ScopedMutexName::exactly(text);
        auto mutex = NamedMutex::open(name.str());
        ASSERT_TRUE(mutex);
        ASSERT_EQ(mutex->wait(0), WaitResult::Obtained);
        EXPECT_EQ(wait_from_other_thread(name.str(), 0), WaitResult::TimedOut);
        EXPECT_TRUE(mutex->release());
        EXPECT_EQ(wait_from_other_thread(name.str(), 0), WaitResult::Obtained);
    }
}

TEST(NamedMutex, NamesThatLookAlikeAfterCleaningStayApart) {
    const std::string stem = unique_stem();
    const std::string long_part(250, 'a');
    // Each group would be one name if unusual characters were only replaced
    // or long names only cut.
    const std::vector<std::vector<std::string>> groups = {
        {stem + "#1", stem + "&1", stem + "_1", stem + "{1", stem + "/1", stem + "\\1"},
        {stem + long_part + "1", stem + long_part + "2"},
        {stem + std::string(150, 'b') + "#", stem + std::string(150, 'b') + "&"},
        {stem, stem + std::string("\0", 1)},
    };
    for (const auto& group : groups) {
        std::vector<ScopedMutexName> scoped;
        for (const std::string& text : group) scoped.push_back(ScopedMutexName::exactly(text));

        auto held = NamedMutex::open(group.front());
        ASSERT_TRUE(held);
        ASSERT_EQ(held->wait(0), WaitResult::Obtained);
        for (size_t i = 1; i < group.size(); ++i) {
            SCOPED_TRACE(group[i]);
            EXPECT_EQ(wait_from_other_thread(group[i], 0), WaitResult::Obtained);
        }
        EXPECT_TRUE(held->release());
    }
}

TEST(NamedMutex, ManyThreadsTakeTurns) {
    ScopedMutexName name;
    constexpr int kThreads = 4;
    constexpr int kRounds = 200;
    int inside = 0;  // guarded by the named mutex only
    int total = 0;
    std::vector<std::future<int>> workers;
    for (int t = 0; t < kThreads; ++t) {
        workers.push_back(std::async(std::launch::async, [&] {
            auto mutex = NamedMutex::open(name.str());
            if (!mutex) return -1;
            int problems = 0;
            for (int round = 0; round < kRounds; ++round) {
                if (mutex->wait(10000) != WaitResult::Obtained) return -1;
                if (++inside != 1) ++problems;
                ++total;
                --inside;
                if (!mutex->release()) return -1;
            }
            return problems;
        }));
    }
    for (auto& worker : workers) EXPECT_EQ(worker.get(), 0);
    EXPECT_EQ(total, kThreads * kRounds);
}

}  // namespace
}  // namespace tz::platform
