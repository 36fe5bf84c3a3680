// The exclusive file lock: one holder at a time, also within one process, and
// a holder that is killed lets it go.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/file_lock.h"
#include "temp_folder.h"

namespace tz::platform {
namespace {

namespace fs = std::filesystem;

TEST(FileLock, OneHolderAtATimeAndTheFileGoesWithTheLock) {
    test::TempFolder folder;
    const std::string path = folder.file("one.lock");
    LockStatus status = LockStatus::Failed;
    FileLock first = FileLock::try_lock(path, &status);
    ASSERT_TRUE(first.valid());
    EXPECT_EQ(status, LockStatus::Locked);
    EXPECT_FALSE(FileLock::try_lock(path, &status).valid());
    EXPECT_EQ(status, LockStatus::Held);

    FileLock moved = std::move(first);  // still held, by the new owner
    EXPECT_FALSE(FileLock::try_lock(path).valid());
    moved.release();
    EXPECT_FALSE(fs::exists(path));
    FileLock again = FileLock::try_lock(path);
    EXPECT_TRUE(again.valid());
    EXPECT_TRUE(fs::exists(path));

    EXPECT_FALSE(FileLock::try_lock(folder.file("missing/x.lock"), &status).valid());
    EXPECT_EQ(status, LockStatus::Failed);
}

TEST(FileLock, AKilledHolderLetsGo) {
    test::TempFolder folder;
    const std::string path = folder.file("child.lock");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::alarm(20);  // should the parent never kill it
        FileLock lock = FileLock::try_lock(path);
        const char c = lock.valid() ? 'y' : 'n';
        if (::write(ready[1], &c, 1) != 1) ::_exit(1);
        for (;;) ::pause();
    }
    ::close(ready[1]);
    char c = 0;
    const bool child_locked = ::read(ready[0], &c, 1) == 1 && c == 'y';
    ::close(ready[0]);
    EXPECT_TRUE(child_locked);
    EXPECT_FALSE(FileLock::try_lock(path).valid());

    ::kill(child, SIGKILL);
    int wait_status = 0;
    EXPECT_EQ(::waitpid(child, &wait_status, 0), child);
    EXPECT_TRUE(fs::exists(path));  // left behind, but no longer locked
    EXPECT_TRUE(FileLock::try_lock(path).valid());
}

}  // namespace
}  // namespace tz::platform
