// Taking the selected printer: within a process, across processes, and after
// a holder died.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "core/acquisition.h"
#include "library_session.h"
#include "platform/helper_process.h"
#include "platform/system_names.h"
#include "printer_farm.h"

namespace {

using tz::lib::acquire_printer;
using tz::lib::PrinterHold;
using tz::lib::ResultCode;
using tz::test::my_context;
using tz::test::OpenLibrary;
using tz::test::PrinterFarm;

// The second process, holding a printer until told to let go or killed; the
// helper program lies beside this test program.
class Holder {
public:
    explicit Holder(const std::string& serial)
        : process_(tz::platform::program_folder() + "/" + tz::platform::program_file("tz5170-test-hold-printer"),
                   {serial}) {}
    // The child's first line ("held 0" when it has the printer).
    std::string first_line() { return process_.read_line(); }
    void let_go() { process_.close_input(); }
    int wait_exit() { return process_.wait_exit(30000); }
    void kill_hard() { process_.kill(); }

private:
    tz::platform::HelperProcess process_;
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
