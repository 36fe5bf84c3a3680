// Named cross-process mutex: a robust, process-shared, recursive
// pthread_mutex_t living in a POSIX shared-memory object whose name is derived
// from the mutex name.
//
// Layout and start-up. The shared object holds a small header and the mutex.
// A fresh object reads as zeros. Whoever first moves the state word from
// "fresh" to "initialising by <pid>" sets the mutex up and then publishes
// "ready"; everyone else waits (bounded) for "ready". Should the initialising
// process die half-way (its pid no longer exists), a waiter takes the job over
// with another compare-and-swap, so a crashed process cannot leave the name
// unusable.
//
// One mapping per name and process. A thread's robust mutexes are chained
// into a per-thread list through their own memory, at the address through
// which they were locked; that address must stay mapped while the mutex is
// held, and unlocking through a second mapping of the same object is nothing
// to rely on. So every NamedMutex of one name inside a process shares one
// mapping (a process-wide registry keyed by the shared-memory name), which
// also records which thread of this process owns the mutex.
//
// Closing while owned. Destroying the last NamedMutex of a name does not
// release the mutex (a closed handle does not release either). While a thread
// of this process still holds it, the mapping is kept alive by the registry,
// because that thread's robust list points into it: a later open() of the name
// hands out the same mapping, so the owner can still release it; when the
// owner ends instead, the system marks the mutex abandoned and the next waiter
// is told so. (One page and its descriptor stay in that case, and with them
// the object.)
//
// Removal. Every process that has a name open keeps one descriptor of the
// shared object open (one per mapping) and holds a shared flock() on it. The
// process that closes the last mapping of a name tries to turn its lock into
// an exclusive one without waiting; when that works nobody else has the object
// open, and it unlinks the name while still holding the exclusive lock. When
// it does not, it simply closes, which drops its shared lock. An opener takes
// its shared lock and then checks that the name still leads to the object it
// locked; if a closer unlinked the name in between, it starts over with
// whatever the name leads to now. So a name never stands for two live objects.
// (Turning a shared lock into an exclusive one drops the old lock first; of
// two processes closing at the same moment the later one therefore wins and
// removes the object.) A killed process loses its lock with its descriptors;
// if it was the last user, the object stays, still holding the abandoned
// mutex, until the next process that opens and closes the name removes it.
//
// fork(): a child inherits the parent's mappings but owns none of the
// parent's acquisitions. The child may use objects it inherited or open new
// ones, provided no other parent thread was inside open() at the fork. An
// inherited descriptor shares the parent's lock, so a child never removes an
// object through an inherited mapping; it only unmaps and closes it.

#include "platform/named_mutex.h"

#include "platform/process.h"
#include "../name_hash.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>

#if defined(__SANITIZE_THREAD__)
#define TZ_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define TZ_THREAD_SANITIZER 1
#endif
#endif

namespace tz::platform {
namespace {

// ---------------------------------------------------------------------------
// Names

constexpr std::string_view kPrefix = "/tz5170-mutex.";
// Longest sanitised name used as it is; /dev/shm allows 255 bytes per name.
constexpr size_t kMaxPlainLength = 200;
// How much of the sanitised text a hashed name keeps, for people reading
// /dev/shm.
constexpr size_t kHashedKeepLength = 100;

bool is_kept(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_' || c == '-';
}

// Names that survive sanitising unchanged and are short enough map to
// "<prefix>n.<name>"; all others to "<prefix>h.<hash>.<start of the sanitised
// name>". The two forms cannot meet, so distinct names stay distinct (up to
// the 64-bit hash).
std::string shm_name_for(std::string_view name) {
    std::string clean;
    clean.reserve(name.size());
    bool lost = false;
    for (unsigned char c : name) {
        if (is_kept(c)) {
            clean.push_back(static_cast<char>(c));
        } else {
            clean.push_back('_');
            lost = true;
        }
    }
    std::string result(kPrefix);
    if (!lost && clean.size() <= kMaxPlainLength) {
        result += "n.";
        result += clean;
        return result;
    }
    result += "h.";
    result += hash_text(name);
    result.push_back('.');
    result.append(clean, 0, kHashedKeepLength);
    return result;
}

// ---------------------------------------------------------------------------
// The shared region

constexpr uint32_t kMagic = 0x545a4d31;  // "TZM1"; changes with the layout
constexpr uint32_t kStateFresh = 0;
constexpr uint32_t kStateReady = 1;
constexpr uint32_t kStateInitialisingFlag = 0x80000000u;  // | pid of the initialiser

// How long open() waits for a process removing the object, or for another
// process to finish setting the region up, both together.
constexpr auto kOpenLimit = std::chrono::seconds(2);

struct Region {
    uint32_t state;  // accessed only through std::atomic_ref
    uint32_t magic;
    uint32_t size;
    uint32_t reserved;
    pthread_mutex_t mutex;
};

static_assert(std::atomic_ref<uint32_t>::is_always_lock_free,
              "the state word must be lock-free to be shared between processes");

bool process_alive(pid_t pid) { return ::kill(pid, 0) == 0 || errno == EPERM; }

bool initialise_mutex(pthread_mutex_t* mutex) {
    std::memset(static_cast<void*>(mutex), 0, sizeof *mutex);
    pthread_mutexattr_t attr;
    if (::pthread_mutexattr_init(&attr) != 0) return false;
    bool ok = ::pthread_mutexattr_setpshared(&attr, PTHREAD_PROCESS_SHARED) == 0 &&
              ::pthread_mutexattr_setrobust(&attr, PTHREAD_MUTEX_ROBUST) == 0 &&
              ::pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE) == 0 &&
              ::pthread_mutex_init(mutex, &attr) == 0;
    ::pthread_mutexattr_destroy(&attr);
    return ok;
}

// Brings a mapped region to the ready state, or confirms that it is there.
bool make_ready(Region* region, std::chrono::steady_clock::time_point give_up) {
    std::atomic_ref<uint32_t> state(region->state);
    const uint32_t mine = kStateInitialisingFlag | static_cast<uint32_t>(::getpid());
    for (;;) {
        uint32_t seen = state.load(std::memory_order_acquire);
        if (seen == kStateReady) {
            return region->magic == kMagic && region->size == sizeof(Region);
        }
        bool take = false;
        if (seen == kStateFresh) {
            take = state.compare_exchange_strong(seen, mine, std::memory_order_acq_rel);
        } else if ((seen & kStateInitialisingFlag) != 0 && seen != mine &&
                   !process_alive(static_cast<pid_t>(seen & ~kStateInitialisingFlag))) {
            // The initialiser died before finishing; nobody can have used the
            // mutex yet, so setting it up from scratch is safe.
            take = state.compare_exchange_strong(seen, mine, std::memory_order_acq_rel);
        }
        if (take) {
            if (!initialise_mutex(&region->mutex)) {
                state.store(kStateFresh, std::memory_order_release);
                return false;
            }
            region->magic = kMagic;
            region->size = sizeof(Region);
            state.store(kStateReady, std::memory_order_release);
            return true;
        }
        if (std::chrono::steady_clock::now() >= give_up) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other) {
            if (fd_ >= 0) ::close(fd_);
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Gives the descriptor up without closing it.
    void leak() { fd_ = -1; }

private:
    int fd_;
};

// Whether `shm_name` currently leads to the object open at `fd`.
bool names_object(const std::string& shm_name, int fd) {
    FileDescriptor again(::shm_open(shm_name.c_str(), O_RDONLY | O_CLOEXEC, 0));
    struct stat ours {}, named {};
    return again.valid() && ::fstat(fd, &ours) == 0 && ::fstat(again.get(), &named) == 0 &&
           ours.st_dev == named.st_dev && ours.st_ino == named.st_ino;
}

// Opens (creating if need be) the object behind `shm_name` and takes the
// shared lock that marks it as in use (see the top of this file). An
// exclusive lock is only ever held for a moment by a process removing the
// object, so a busy lock is retried until `give_up`.
FileDescriptor open_in_use(const std::string& shm_name, std::chrono::steady_clock::time_point give_up) {
    for (;;) {
        FileDescriptor fd(::shm_open(shm_name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
        if (!fd.valid()) return fd;
        while (::flock(fd.get(), LOCK_SH | LOCK_NB) != 0) {
            if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= give_up) {
                return FileDescriptor();
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        // Locked, so no closer can remove it now. Did one just before?
        if (names_object(shm_name, fd.get())) return fd;
        if (std::chrono::steady_clock::now() >= give_up) return FileDescriptor();
    }
}

// One mapping of a shared region, shared by all NamedMutex objects of its
// name in this process.
class Mapping {
public:
    Mapping(std::string shm_name, FileDescriptor fd, Region* region)
        : shm_name_(std::move(shm_name)), fd_(std::move(fd)), region_(region), opened_by_(::getpid()) {}
    ~Mapping() {
        // The registry keeps owned mappings alive; should one get here anyway,
        // leaking it (and its lock) is better than leaving a dangling
        // robust-list entry.
        if (owned_here()) {
            fd_.leak();
            return;
        }
        // An exclusive lock means nobody else has the object open; after a
        // remove() the name may lead to a newer object, hence the check. A
        // forked child must not try: its descriptor shares the parent's lock.
        if (::getpid() == opened_by_ && ::flock(fd_.get(), LOCK_EX | LOCK_NB) == 0 &&
            names_object(shm_name_, fd_.get())) {
            ::shm_unlink(shm_name_.c_str());
        }
        ::munmap(region_, sizeof(Region));
        // fd_ closes now, dropping the lock.
    }
    Mapping(const Mapping&) = delete;
    Mapping& operator=(const Mapping&) = delete;

    static std::shared_ptr<Mapping> create(const std::string& shm_name) {
        const auto give_up = std::chrono::steady_clock::now() + kOpenLimit;
        FileDescriptor fd = open_in_use(shm_name, give_up);
        if (!fd.valid()) return nullptr;
        struct stat info {};
        if (::fstat(fd.get(), &info) != 0) return nullptr;
        // Growing is idempotent, so racing creators may all do it; the new
        // bytes read as zero, which is the fresh state.
        if (info.st_size < static_cast<off_t>(sizeof(Region)) &&
            ::ftruncate(fd.get(), static_cast<off_t>(sizeof(Region))) != 0) {
            return nullptr;
        }
        void* address = ::mmap(nullptr, sizeof(Region), PROT_READ | PROT_WRITE, MAP_SHARED, fd.get(), 0);
        if (address == MAP_FAILED) return nullptr;
        auto mapping = std::make_shared<Mapping>(shm_name, std::move(fd), static_cast<Region*>(address));
        if (!make_ready(mapping->region_, give_up)) return nullptr;
        return mapping;
    }

    pthread_mutex_t* mutex() const { return &region_->mutex; }
    // Who in this process owns the mutex, and how often it entered. Only the
    // owner changes these, while it holds the mutex; a thread that ended while
    // owning leaves its id behind until the next owner takes over.
    void entered(uint32_t thread, bool taken_over) {
        if (taken_over) depth_ = 0;
        ++depth_;
        owner_.store(thread, std::memory_order_release);
    }
    // false when `thread` does not own the mutex through this mapping.
    bool leaving(uint32_t thread) {
        if (owner_.load(std::memory_order_acquire) != thread || depth_ == 0) return false;
        if (--depth_ == 0) owner_.store(0, std::memory_order_release);
        return true;
    }
    // Undoes leaving() when the system refused the release after all.
    void stayed(uint32_t thread) {
        ++depth_;
        owner_.store(thread, std::memory_order_release);
    }
    bool owned_here() const { return owner_.load(std::memory_order_acquire) != 0; }

private:
    const std::string shm_name_;
    FileDescriptor fd_;  // open as long as the mapping, holding the shared lock
    Region* region_;
    const pid_t opened_by_;
    std::atomic<uint32_t> owner_{0};
    unsigned long depth_ = 0;
};

// Process-wide table: shared-memory name -> live mapping.
class Registry {
public:
    // Never destroyed, so objects that outlive static destruction still work.
    static Registry& instance() {
        static Registry* registry = new Registry;
        return *registry;
    }

    std::shared_ptr<Mapping> open(const std::string& shm_name) {
        std::lock_guard guard(lock_);
        auto found = mappings_.find(shm_name);
        if (found != mappings_.end()) {
            if (auto live = found->second.lock()) {
                // Someone holds it again; the kept reference is no longer needed.
                if (!live->owned_here()) kept_.erase(live);
                return live;
            }
        }
        auto mapping = Mapping::create(shm_name);
        if (mapping) {
            mappings_[shm_name] = mapping;
        } else if (found != mappings_.end()) {
            mappings_.erase(found);
        }
        return mapping;
    }

    // After remove() the next open() must create a new object, so the old
    // mapping is no longer handed out (its current users keep it).
    void forget(const std::string& shm_name) {
        std::lock_guard guard(lock_);
        mappings_.erase(shm_name);
    }

    // Called when a NamedMutex closes: a mapping that is still owned must
    // outlive its last object (see the top of this file).
    void close(std::shared_ptr<Mapping> mapping) {
        std::lock_guard guard(lock_);
        if (mapping->owned_here()) {
            kept_.insert(std::move(mapping));
        } else {
            kept_.erase(mapping);
        }
    }

private:
    std::mutex lock_;
    std::map<std::string, std::weak_ptr<Mapping>> mappings_;
    std::set<std::shared_ptr<Mapping>> kept_;
};

// ---------------------------------------------------------------------------
// Waiting

// Locks with a limit; 0 only tries. Returns what the pthread calls return.
#if !defined(TZ_THREAD_SANITIZER)
// pthread_mutex_clocklock measures on the monotonic clock, so setting the
// wall clock neither stretches nor cuts a wait. A free mutex is taken without
// reading the clock.
int lock_with_limit(pthread_mutex_t* mutex, uint32_t timeout_ms) {
    const int first = ::pthread_mutex_trylock(mutex);
    if (first != EBUSY || timeout_ms == 0) return first;
    timespec deadline{};
    ::clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_sec += static_cast<time_t>(timeout_ms / 1000);
    deadline.tv_nsec += static_cast<long>(timeout_ms % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
    }
    return ::pthread_mutex_clocklock(mutex, CLOCK_MONOTONIC, &deadline);
}
#else
// ThreadSanitizer follows pthread_mutex_trylock completely, a dead owner
// included, but does not know clocklock and misses a dead owner reported by
// timedlock; it would then flag our own unlock. Its builds poll instead.
int lock_with_limit(pthread_mutex_t* mutex, uint32_t timeout_ms) {
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        int result = ::pthread_mutex_trylock(mutex);
        if (result != EBUSY || std::chrono::steady_clock::now() >= give_up) return result;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}
#endif

class PosixNamedMutex final : public NamedMutex {
public:
    explicit PosixNamedMutex(std::shared_ptr<Mapping> mapping) : mapping_(std::move(mapping)) {}
    ~PosixNamedMutex() override { Registry::instance().close(std::move(mapping_)); }
    PosixNamedMutex(const PosixNamedMutex&) = delete;
    PosixNamedMutex& operator=(const PosixNamedMutex&) = delete;

    WaitResult wait(uint32_t timeout_ms) override {
        pthread_mutex_t* mutex = mapping_->mutex();
        int result = lock_with_limit(mutex, timeout_ms);
        switch (result) {
            case 0:
                mapping_->entered(current_thread_id(), false);
                return WaitResult::Obtained;
            case EOWNERDEAD:
                // We own it now; repair it so later waits see a normal mutex.
                if (::pthread_mutex_consistent(mutex) != 0) {
                    ::pthread_mutex_unlock(mutex);
                    return WaitResult::Failed;
                }
                mapping_->entered(current_thread_id(), true);
                return WaitResult::Abandoned;
            case EBUSY:
            case ETIMEDOUT:
                return WaitResult::TimedOut;
            default:  // ENOTRECOVERABLE, EAGAIN (recursion limit), EINVAL, ...
                return WaitResult::Failed;
        }
    }

    // Ownership is checked here first, so that asking a mutex one does not own
    // to unlock never reaches the system (tools that watch locking would
    // rightly flag that); the system's own check stays as a second line.
    bool release() override {
        const uint32_t me = current_thread_id();
        if (!mapping_->leaving(me)) return false;
        if (::pthread_mutex_unlock(mapping_->mutex()) != 0) {
            mapping_->stayed(me);
            return false;
        }
        return true;
    }

private:
    std::shared_ptr<Mapping> mapping_;
};

}  // namespace

std::unique_ptr<NamedMutex> NamedMutex::open(std::string_view name) {
    auto mapping = Registry::instance().open(shm_name_for(name));
    if (!mapping) return nullptr;
    return std::make_unique<PosixNamedMutex>(std::move(mapping));
}

void NamedMutex::remove(std::string_view name) {
    std::string shm_name = shm_name_for(name);
    Registry::instance().forget(shm_name);
    ::shm_unlink(shm_name.c_str());
}

}  // namespace tz::platform
