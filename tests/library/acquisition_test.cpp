// Taking the selected printer: within a process, across processes, and after
// a holder died.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "core/acquisition.h"
#include "library_session.h"
#include "printer_farm.h"

extern char** environ;

namespace {

using tz::lib::acquire_printer;
using tz::lib::PrinterHold;
using tz::lib::ResultCode;
using tz::test::my_context;
using tz::test::OpenLibrary;
using tz::test::PrinterFarm;

// The folder of this test program, where the helper program is too.
std::string program_folder() {
    char path[4096];
    ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    std::string self(path, static_cast<size_t>(n));
    return self.substr(0, self.rfind('/'));
}

// The second process, holding a printer until told to let go or killed.
class Holder {
public:
    explicit Holder(const std::string& serial) {
        int in[2], out[2];
        if (::pipe(in) != 0 || ::pipe(out) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, in[1]);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        std::string program = program_folder() + "/tz5170-test-hold-printer";
        char* argv[] = {program.data(), const_cast<char*>(serial.c_str()), nullptr};
        if (::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        to_child_ = in[1];
        from_child_ = out[0];
    }
    ~Holder() {
        let_go();
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (from_child_ >= 0) ::close(from_child_);
    }
    // The child's first line ("held 0" when it has the printer).
    std::string first_line() {
        std::string line;
        char c;
        while (::read(from_child_, &c, 1) == 1 && c != '\n') line += c;
        return line;
    }
    void let_go() {
        if (to_child_ >= 0) ::close(to_child_);
        to_child_ = -1;
    }
    int wait_exit() {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    void kill_hard() {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
    int to_child_ = -1;
    int from_child_ = -1;
};

TEST(Acquisition, NothingSelectedGives2000) {
    PrinterFarm farm;
    farm.add("SN000001");
    OpenLibrary library;
    ASSERT_TRUE(library.ok());
    my_context().selection.clear();
    PrinterHold hold;
    EXPECT_EQ(acquire_printer(my_context(), hold), TZP_NOT_RECOGNISED);
    EXPECT_FALSE(hold.held());
    tz::test::point_selection_at(7);  // an entry without a device
    EXPECT_EQ(acquire_printer(my_context(), hold), TZP_NOT_RECOGNISED);
    EXPECT_FALSE(hold.held());
}

TEST(Acquisition, OwnerMayTakeItAgainOtherThreadsWait500ms) {
    PrinterFarm farm;
    farm.add("SN000001");
    OpenLibrary library;
    ASSERT_TRUE(library.ok());
    ASSERT_TRUE(tz::test::at_least_slots(2));
    PrinterHold outer;
    ASSERT_EQ(acquire_printer(my_context(), outer), TZP_OK);
    {
        PrinterHold inner;
        EXPECT_EQ(acquire_printer(my_context(), inner), TZP_OK);
        EXPECT_TRUE(inner.held());
    }
    auto other_thread_code = [] {
        ResultCode theirs = 0xFFFF;
        std::thread other([&] {
            uint16_t opened;
            tzpusb_open(&opened);
            PrinterHold hold;
            theirs = acquire_printer(*tz::lib::calling_context(), hold);
            tzpusb_close();
        });
        other.join();
        return theirs;
    };
    // Still held once after the inner release.
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(other_thread_code(), TZP_PRINTER_IN_USE);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(450));
    outer.release();
    EXPECT_EQ(other_thread_code(), TZP_OK);
}

TEST(Acquisition, PrinterHeldByAnotherProcessGives1500) {
    PrinterFarm farm;
    farm.add("SN000001");
    OpenLibrary library;
    ASSERT_TRUE(library.ok());
    Holder holder("SN000001");
    ASSERT_EQ(holder.first_line(), "held 0");
    PrinterHold hold;
    EXPECT_EQ(acquire_printer(my_context(), hold), TZP_PRINTER_IN_USE);
    EXPECT_FALSE(hold.held());
    holder.let_go();
    EXPECT_EQ(holder.wait_exit(), 0);
    EXPECT_EQ(acquire_printer(my_context(), hold), TZP_OK);
    EXPECT_TRUE(hold.held());
}

TEST(Acquisition, AfterTheHolderIsKilledTheNextGets1500AndTheOneAfterSucceeds) {
    PrinterFarm farm;
    farm.add("SN000001");
    OpenLibrary library;
    ASSERT_TRUE(library.ok());
    Holder holder("SN000001");
    ASSERT_EQ(holder.first_line(), "held 0");
    holder.kill_hard();
    PrinterHold hold;
    EXPECT_EQ(acquire_printer(my_context(), hold), TZP_PRINTER_IN_USE);  // abandoned: this one gives way
    EXPECT_EQ(acquire_printer(my_context(), hold), TZP_OK);
    EXPECT_TRUE(hold.held());
}

}  // namespace
