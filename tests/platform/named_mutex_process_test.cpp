// The named mutex between processes, and when its system object goes. Each
// test forks before it starts any thread; the child only uses the mutex, the
// pipes, shared memory and _exit(), and an alarm ends it should the parent
// never answer.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <new>
#include <string>
#include <thread>

#include "mutex_test_support.h"
#include "platform/named_mutex.h"

namespace tz::platform {
namespace {

using namespace std::chrono_literals;
using test::ScopedMutexName;
using test::system_object_exists;

// One direction of a pipe, both ends closed when the object goes.
class Pipe {
public:
    Pipe() {
        if (::pipe2(fds_, O_CLOEXEC) != 0) fds_[0] = fds_[1] = -1;
    }
    ~Pipe() {
        for (int fd : fds_)
            if (fd >= 0) ::close(fd);
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;

    bool valid() const { return fds_[0] >= 0; }
    bool put(char c) const { return ::write(fds_[1], &c, 1) == 1; }
    // The next byte, or 0 when none came within the limit or the writer left.
    char get(int timeout_ms = 10000) const {
        pollfd entry{fds_[0], POLLIN, 0};
        if (::poll(&entry, 1, timeout_ms) != 1) return 0;
        char c = 0;
        return ::read(fds_[0], &c, 1) == 1 ? c : 0;
    }

private:
    int fds_[2] = {-1, -1};
};

// A forked child, killed and reaped if the test leaves early.
class Child {
public:
    explicit Child(pid_t pid) : pid_(pid) {}
    ~Child() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            reap();
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t pid() const { return pid_; }
    // Waits (bounded) for the child to end; its wait status, or -1.
    int reap() {
        const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (pid_ > 0) {
            int status = 0;
            pid_t done = ::waitpid(pid_, &status, WNOHANG);
            if (done == pid_) {
                pid_ = -1;
                return status;
            }
            if (done < 0 && errno != EINTR) {
                pid_ = -1;
                return -1;
            }
            if (std::chrono::steady_clock::now() >= give_up) {
                ::kill(pid_, SIGKILL);
            }
            ::usleep(2000);
        }
        return -1;
    }

private:
    pid_t pid_;
};

// Exit codes of the children: which step went wrong.
enum ChildExit { kChildOk = 0, kChildOpen = 10, kChildWait, kChildRelease, kChildPipe };

[[noreturn]] void child_exit(int code) { ::_exit(code); }

TEST(NamedMutexProcesses, AnotherProcessWaitsWhileOneHoldsIt) {
    ScopedMutexName name;
    Pipe to_parent, to_child;
    ASSERT_TRUE(to_parent.valid() && to_child.valid());

    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::alarm(30);
        auto mutex = NamedMutex::open(name.str());
        if (!mutex) child_exit(kChildOpen);
        if (mutex->wait(0) != WaitResult::Obtained) child_exit(kChildWait);
        if (mutex->wait(0) != WaitResult::Obtained) child_exit(kChildWait);
        if (!to_parent.put('H')) child_exit(kChildPipe);
        if (to_child.get(20000) != 'G') child_exit(kChildPipe);
        if (!mutex->release() || !mutex->release()) child_exit(kChildRelease);
        if (mutex->release()) child_exit(kChildRelease);
        if (!to_parent.put('R')) child_exit(kChildPipe);
        child_exit(kChildOk);
    }
    Child child(pid);

    // Opened separately by name, after the fork.
    auto mutex = NamedMutex::open(name.str());
    ASSERT_TRUE(mutex);
    ASSERT_EQ(to_parent.get(), 'H');
    EXPECT_EQ(mutex->wait(0), WaitResult::TimedOut);
    EXPECT_EQ(mutex->wait(300), WaitResult::TimedOut);
    EXPECT_FALSE(mutex->release()) << "the parent does not own it";

    // The child releases while the parent waits.
    ASSERT_TRUE(to_child.put('G'));
    EXPECT_EQ(mutex->wait(20000), WaitResult::Obtained);
    EXPECT_EQ(to_parent.get(), 'R');
    EXPECT_TRUE(mutex->release());

    int status = child.reap();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), kChildOk);
}

TEST(NamedMutexProcesses, ProcessWaitsForOneThatHoldsIt) {
    ScopedMutexName name;
    Pipe to_parent, to_child;
    ASSERT_TRUE(to_parent.valid() && to_child.valid());
    auto mutex = NamedMutex::open(name.str());
    ASSERT_TRUE(mutex);
    ASSERT_EQ(mutex->wait(0), WaitResult::Obtained);

    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::alarm(30);
        // The child does not inherit the parent's ownership.
        auto own = NamedMutex::open(name.str());
        if (!own) child_exit(kChildOpen);
        if (own->release()) child_exit(kChildRelease);
        if (own->wait(0) != WaitResult::TimedOut) child_exit(kChildWait);
        if (!to_parent.put('T')) child_exit(kChildPipe);
        if (own->wait(20000) != WaitResult::Obtained) child_exit(kChildWait);
        if (!own->release()) child_exit(kChildRelease);
        child_exit(kChildOk);
    }
    Child child(pid);

    ASSERT_EQ(to_parent.get(), 'T');
    EXPECT_TRUE(mutex->release());
    int status = child.reap();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), kChildOk);
    EXPECT_EQ(mutex->wait(0), WaitResult::Obtained);
    EXPECT_TRUE(mutex->release());
}

TEST(NamedMutexProcesses, KilledOwnerLeavesItAbandonedToTheNextWaiter) {
    ScopedMutexName name;
    Pipe to_parent;
    ASSERT_TRUE(to_parent.valid());

    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::alarm(30);
        auto mutex = NamedMutex::open(name.str());
        if (!mutex) child_exit(kChildOpen);
        if (mutex->wait(0) != WaitResult::Obtained) child_exit(kChildWait);
        if (mutex->wait(0) != WaitResult::Obtained) child_exit(kChildWait);
        if (!to_parent.put('H')) child_exit(kChildPipe);
        for (;;) ::pause();
    }
    Child child(pid);

    auto mutex = NamedMutex::open(name.str());
    ASSERT_TRUE(mutex);
    ASSERT_EQ(to_parent.get(), 'H');
    EXPECT_EQ(mutex->wait(0), WaitResult::TimedOut);
    ASSERT_EQ(::kill(pid, SIGKILL), 0);
    int status = child.reap();
    ASSERT_TRUE(WIFSIGNALED(status));

    EXPECT_EQ(mutex->wait(500), WaitResult::Abandoned);
    EXPECT_EQ(mutex->wait(0), WaitResult::Obtained) << "the new owner may enter again";
    EXPECT_TRUE(mutex->release());
    EXPECT_TRUE(mutex->release());
    EXPECT_FALSE(mutex->release());
    EXPECT_EQ(mutex->wait(500), WaitResult::Obtained) << "abandonment is reported once";
    EXPECT_TRUE(mutex->release());
    mutex.reset();
    EXPECT_FALSE(system_object_exists(name.str())) << "the killed process lost its hold on it";
}

TEST(NamedMutexProcesses, ObjectLeftByAKilledLastUserStillTellsTheNextOneItWasAbandoned) {
    ScopedMutexName name;
    Pipe to_parent;
    ASSERT_TRUE(to_parent.valid());

    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::alarm(30);
        auto mutex = NamedMutex::open(name.str());
        if (!mutex) child_exit(kChildOpen);
        if (mutex->wait(0) != WaitResult::Obtained) child_exit(kChildWait);
        if (!to_parent.put('H')) child_exit(kChildPipe);
        for (;;) ::pause();
    }
    Child child(pid);
    ASSERT_EQ(to_parent.get(), 'H');
    ASSERT_EQ(::kill(pid, SIGKILL), 0);
    ASSERT_TRUE(WIFSIGNALED(child.reap()));
    EXPECT_TRUE(system_object_exists(name.str())) << "nobody was left to remove it";

    auto mutex = NamedMutex::open(name.str());
    ASSERT_TRUE(mutex);
    EXPECT_EQ(mutex->wait(500), WaitResult::Abandoned);
    EXPECT_TRUE(mutex->release());
    mutex.reset();
    EXPECT_FALSE(system_object_exists(name.str()));
}

TEST(NamedMutexProcesses, SystemObjectStaysUntilTheLastProcessClosesIt) {
    ScopedMutexName name;
    Pipe to_parent, to_child;
    ASSERT_TRUE(to_parent.valid() && to_child.valid());

    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::alarm(30);
        auto mutex = NamedMutex::open(name.str());
        if (!mutex) child_exit(kChildOpen);
        if (!to_parent.put('O')) child_exit(kChildPipe);
        if (to_child.get(20000) != 'C') child_exit(kChildPipe);
        if (mutex->wait(0) != WaitResult::Obtained) child_exit(kChildWait);
        if (!to_parent.put('H')) child_exit(kChildPipe);
        if (to_child.get(20000) != 'G') child_exit(kChildPipe);
        if (!mutex->release()) child_exit(kChildRelease);
        mutex.reset();
        if (!to_parent.put('X')) child_exit(kChildPipe);
        child_exit(kChildOk);
    }
    Child child(pid);

    ASSERT_EQ(to_parent.get(), 'O');
    auto mutex = NamedMutex::open(name.str());
    ASSERT_TRUE(mutex);
    mutex.reset();
    EXPECT_TRUE(system_object_exists(name.str())) << "the child still has it open";

    // The child takes it after the parent closed; the name still leads there.
    ASSERT_TRUE(to_child.put('C'));
    ASSERT_EQ(to_parent.get(), 'H');
    mutex = NamedMutex::open(name.str());
    ASSERT_TRUE(mutex);
    EXPECT_EQ(mutex->wait(0), WaitResult::TimedOut);
    mutex.reset();

    ASSERT_TRUE(to_child.put('G'));
    EXPECT_EQ(to_parent.get(), 'X');
    EXPECT_FALSE(system_object_exists(name.str()));
    int status = child.reap();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), kChildOk);
}

// An inherited mapping shares the parent's hold on the object.
TEST(NamedMutexProcesses, ChildClosingAnInheritedObjectLeavesItToTheParent) {
    ScopedMutexName name;
    auto mutex = NamedMutex::open(name.str());
    ASSERT_TRUE(mutex);

    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::alarm(30);
        mutex.reset();
        child_exit(kChildOk);
    }
    int status = Child(pid).reap();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), kChildOk);

    EXPECT_TRUE(system_object_exists(name.str())) << "the parent still has it open";
    mutex.reset();
    EXPECT_FALSE(system_object_exists(name.str()));
}

// Two processes open, take, leave and close one name as fast as they can, so
// that openings keep meeting removals. Were an opener ever left with an
// object whose name a closer had just removed, the two processes would soon
// be inside at the same time.
TEST(NamedMutexProcesses, OpeningWhileAnotherRemovesNeverSplitsTheName) {
    ScopedMutexName name;
    struct Shared {
        std::atomic<int> inside;
        std::atomic<int> overlaps;
        std::atomic<int> rounds[2];
    };
    struct SharedMemory {
        void* address = ::mmap(nullptr, sizeof(Shared), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
        ~SharedMemory() {
            if (address != MAP_FAILED) ::munmap(address, sizeof(Shared));
        }
    } memory;
    ASSERT_NE(memory.address, MAP_FAILED);
    Shared* shared = new (memory.address) Shared{};

    auto take_turns = [&](int who) {
        const auto end = std::chrono::steady_clock::now() + 1s;
        while (std::chrono::steady_clock::now() < end) {
            auto mutex = NamedMutex::open(name.str());
            if (!mutex) return kChildOpen;
            if (mutex->wait(5000) != WaitResult::Obtained) return kChildWait;
            if (shared->inside.exchange(1) != 0) ++shared->overlaps;
            std::this_thread::sleep_for(50us);
            shared->inside.store(0);
            if (!mutex->release()) return kChildRelease;
            mutex.reset();
            ++shared->rounds[who];
            // Closed for a while, so that the other process often is the last
            // user and removes the object.
            std::this_thread::sleep_for(50us);
        }
        return kChildOk;
    };
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::alarm(30);
        child_exit(take_turns(1));
    }
    Child child(pid);
    EXPECT_EQ(take_turns(0), kChildOk);
    int status = child.reap();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), kChildOk);

    EXPECT_EQ(shared->overlaps.load(), 0);
    EXPECT_GT(shared->rounds[0].load(), 0);
    EXPECT_GT(shared->rounds[1].load(), 0);
    EXPECT_FALSE(system_object_exists(name.str()));
}

// The shared object starts with a 32-bit state word: 0 fresh, 1 ready,
// 0x80000000 | pid while that process sets it up.
class StuckSetUp : public ::testing::Test {
protected:
    // Leaves the shared object of `name` as if `pid` had begun setting it up.
    static bool fake_set_up_by(const std::string& name, pid_t pid) {
        NamedMutex::remove(name);
        std::string shm_name = test::shm_name_of(name);
        int fd = ::shm_open(shm_name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
        if (fd < 0) return false;
        uint32_t state = 0x80000000u | static_cast<uint32_t>(pid);
        bool ok = ::ftruncate(fd, 4096) == 0 && ::pwrite(fd, &state, sizeof state, 0) == sizeof state;
        ::close(fd);
        return ok;
    }
};

TEST_F(StuckSetUp, SetUpOfADeadProcessIsTakenOver) {
    ScopedMutexName name;
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) child_exit(kChildOk);
    int status = Child(pid).reap();
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_TRUE(fake_set_up_by(name.str(), pid));

    auto mutex = NamedMutex::open(name.str());
    ASSERT_TRUE(mutex);
    EXPECT_EQ(mutex->wait(0), WaitResult::Obtained);
    EXPECT_TRUE(mutex->release());
}

TEST_F(StuckSetUp, SetUpThatNeverEndsMakesOpenFailInTime) {
    ScopedMutexName name;
    ASSERT_TRUE(fake_set_up_by(name.str(), ::getppid()));
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(NamedMutex::open(name.str()));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

}  // namespace
}  // namespace tz::platform
