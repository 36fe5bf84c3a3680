// The library against a USB control library of the test's own (loaded in
// place of ours through the normal library search): enumeration order, pipe
// closing, a printer that never answers.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "fake_usbctrl/fake_usb.h"
#include "library_session.h"

namespace {

using tz::test::my_context;
using tz::test::OpenLibrary;

class FakeUsbTest : public ::testing::Test {
protected:
    void SetUp() override { FakeUsb_Reset(); }
    void TearDown() override { FakeUsb_Reset(); }
};

TEST_F(FakeUsbTest, ListsSupportedPrintersInDeviceOrderAndGivesBackTheRest) {
    FakeUsb_AddPrinter("PRINTER1", 0x0F3C, 0x5A17);
    int foreign = FakeUsb_AddPrinter("OTHERDEV", 0x0F3C, 0x5A18);
    FakeUsb_AddPrinter("PRINTER3", 0x0F3C, 0x5A17);
    {
        OpenLibrary library;
        ASSERT_TRUE(library.ok()) << library.code();
        char serials[1024];
        ASSERT_EQ(tzpusb_listupPrinterSN(serials), 2);
        EXPECT_EQ(std::string(serials, 8), "PRINTER1");
        EXPECT_EQ(std::string(serials + 8, 8), "PRINTER3");
        EXPECT_EQ(FakeUsb_OpenDevices(), 2);
        EXPECT_EQ(FakeUsb_WritePipe(foreign), -1);  // its pipes were never asked for
    }
    // Closing gives back every device and closes every pipe exactly once.
    EXPECT_EQ(FakeUsb_OpenDevices(), 0);
    for (int printer : {0, 2}) {
        EXPECT_EQ(FakeUsb_ClosePipeCalls(FakeUsb_WritePipe(printer)), 1) << printer;
        EXPECT_EQ(FakeUsb_ClosePipeCalls(FakeUsb_ReadPipe(printer)), 1) << printer;
    }
}

TEST_F(FakeUsbTest, UnpluggedPrinterIsDeselectedAndItsPipesClosed) {
    int printer = FakeUsb_AddPrinter("PRINTER1", 0x0F3C, 0x5A17);
    OpenLibrary library;
    ASSERT_TRUE(library.ok());
    intptr_t write_pipe = FakeUsb_WritePipe(printer);
    FakeUsb_Unplug(printer);
    ASSERT_TRUE(tz::test::eventually([] { return my_context().selection.index() == 255; }));
    EXPECT_EQ(FakeUsb_ClosePipeCalls(write_pipe), 1);
    EXPECT_EQ(FakeUsb_OpenDevices(), 0);  // the sweep closed the device too
}

// Last: a timed-out read marks the whole process.
TEST_F(FakeUsbTest, PrinterThatNeverAnswersFailsTheReadAndItsReadPipeIsForgotten) {
    int printer = FakeUsb_AddPrinter("SILENT01", 0x0F3C, 0x5A17);
    intptr_t write_pipe, read_pipe;
    {
        OpenLibrary library;
        ASSERT_TRUE(library.ok());
        write_pipe = FakeUsb_WritePipe(printer);
        read_pipe = FakeUsb_ReadPipe(printer);
        ASSERT_EQ(my_context().selection.load().read_pipe, read_pipe);

        std::array<uint8_t, 300> frame{};
        uint32_t count = 0;
        EXPECT_EQ(my_context().transport->timed_read(frame.data(), frame.size(), count), TZP_USB_ERROR);
    }
    // The read pipe may still be stuck: the library forgets it without asking
    // the USB library to close it; the write pipe is closed as usual.
    EXPECT_EQ(FakeUsb_ClosePipeCalls(read_pipe), 0);
    EXPECT_EQ(FakeUsb_ClosePipeCalls(write_pipe), 1);
    EXPECT_EQ(FakeUsb_OpenDevices(), 0);
}

}  // namespace
