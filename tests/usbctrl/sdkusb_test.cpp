// The USB control library through its C entry points, against virtual printers.
#include <gtest/gtest.h>

#include <grp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <sstream>
#include <thread>

#include <array>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/pipe_io.h"
#include "printer_farm.h"
#include "temp_folder.h"
#include "usbctrl/sdkusb.h"

namespace {

using tz::platform::IoStatus;
using tz::test::control;
using tz::test::PrinterFarm;

const std::array<uint8_t, 4> kGetStatus = {0x01, 0x00, 0x00, 0x00};

std::string serial_of(int handle) {
    uint8_t id[260] = {};
    uint32_t size = sizeof id;
    if (SDKUsb_GetDeviceIDString(handle, id, &size) != 1) return "";
    return std::string(reinterpret_cast<const char*>(id + 110), 8);
}

std::string name_of(int handle) {
    char name[260] = {};
    if (SDKUsb_GetDeviceName(handle, name) != 1) return "";
    return name;
}

// Writes a status inquiry on pipe 0 and reads one transfer from pipe 1.
std::vector<uint8_t> ask_status(intptr_t write_pipe, intptr_t read_pipe, uint32_t timeout_ms = 2000) {
    auto written = tz::platform::pipe_write(write_pipe, kGetStatus.data(), kGetStatus.size());
    if (written.status != IoStatus::Ok) return {};
    std::vector<uint8_t> frame(300);
    auto got = tz::platform::pipe_read_timed(read_pipe, frame.data(), frame.size(), timeout_ms);
    frame.resize(got.status == IoStatus::Ok ? got.bytes : 0);
    return frame;
}

TEST(UsbCtrl, WithoutPrinterFolderNoDeviceIsListed) {
    ::unsetenv("TZ5170_EMULATOR");
    EXPECT_EQ(SDKUsb_CheckDeviceName(0), -1);
    EXPECT_EQ(SDKUsb_Open(0), -1);
    ::setenv("TZ5170_EMULATOR", "/nonexistent/tz5170", 1);
    EXPECT_EQ(SDKUsb_Open(0), -1);
    ::unsetenv("TZ5170_EMULATOR");
}

TEST(UsbCtrl, TwoPrintersAreListedInStableOrderWithNamesAndSerials) {
    PrinterFarm farm;
    farm.add("SN000002");
    farm.add("SN000001");

    int first = SDKUsb_Open(0);
    int second = SDKUsb_Open(1);
    ASSERT_GE(first, 0);
    ASSERT_GE(second, 0);
    EXPECT_LT(first, 128);
    EXPECT_LT(second, 128);
    EXPECT_NE(first, second);
    EXPECT_EQ(SDKUsb_Open(2), -1);

    EXPECT_EQ(serial_of(first), "SN000001");
    EXPECT_EQ(serial_of(second), "SN000002");

    std::string name = name_of(first);
    ASSERT_GE(name.size(), 25u);
    EXPECT_EQ(name.substr(0, 4), "\\\\?\\");
    EXPECT_EQ(name.substr(12, 4), "0f3c");
    EXPECT_EQ(name.substr(21, 4), "5a17");
    // From character 4 on the name tells the printers apart: it names their mutexes.
    EXPECT_NE(name.substr(4), name_of(second).substr(4));

    // The library knows what it has open, by device number.
    EXPECT_EQ(SDKUsb_CheckDeviceName(0), first);
    EXPECT_EQ(SDKUsb_CheckDeviceName(1), second);
    EXPECT_EQ(SDKUsb_CheckDeviceName(2), -1);
    EXPECT_NE(SDKUsb_CheckDevice(first), 0);

    EXPECT_EQ(SDKUsb_Close(first), 1);
    EXPECT_EQ(SDKUsb_CheckDeviceName(0), -1);
    EXPECT_EQ(SDKUsb_CheckDevice(first), 0);
    EXPECT_EQ(SDKUsb_Close(first), 0);  // not open any more
    EXPECT_EQ(SDKUsb_Close(second), 1);
}

// Printers the USB bridge serves come before the virtual ones; one folder
// named for both lists its printers once.
TEST(UsbCtrl, BridgePrintersComeFirst) {
    const char* before = std::getenv("TZ5170_USB_DIR");
    const std::string saved = before != nullptr ? before : "";
    PrinterFarm bridged;
    bridged.add("SN000009");
    PrinterFarm farm;  // TZ5170_EMULATOR names this one now
    farm.add("SN000001");
    ::setenv("TZ5170_USB_DIR", bridged.folder().path().c_str(), 1);
    int first = SDKUsb_Open(0), second = SDKUsb_Open(1);
    EXPECT_EQ(serial_of(first), "SN000009");
    EXPECT_EQ(serial_of(second), "SN000001");
    EXPECT_EQ(SDKUsb_Open(2), -1);
    SDKUsb_Close(first);
    SDKUsb_Close(second);
    ::setenv("TZ5170_USB_DIR", farm.folder().path().c_str(), 1);
    second = SDKUsb_Open(1);
    EXPECT_EQ(second, -1);
    if (second >= 0) SDKUsb_Close(second);
    ::setenv("TZ5170_USB_DIR", saved.c_str(), 1);
}

TEST(UsbCtrl, ForeignDeviceShowsItsOwnIds) {
    PrinterFarm farm;
    farm.add("FOREIGN1", 0x1234, 0xABCD);
    int handle = SDKUsb_Open(0);
    ASSERT_GE(handle, 0);
    std::string name = name_of(handle);
    EXPECT_EQ(name.substr(12, 4), "1234");
    EXPECT_EQ(name.substr(21, 4), "abcd");
    SDKUsb_Close(handle);
}

TEST(UsbCtrl, BadHandlesAndSmallBuffersAreRefused) {
    PrinterFarm farm;
    farm.add("SN000001");
    for (int bad : {-1, 128, 5000}) {
        char name[260] = {};
        uint8_t id[260] = {};
        uint32_t size = sizeof id;
        EXPECT_EQ(SDKUsb_GetDeviceName(bad, name), 0);
        EXPECT_EQ(SDKUsb_GetDeviceIDString(bad, id, &size), 0);
        EXPECT_EQ(SDKUsb_GetPipeHandle(bad, 0, 0, 0), -1);
        EXPECT_EQ(SDKUsb_CheckDevice(bad), 0);
        EXPECT_EQ(SDKUsb_Close(bad), 0);
    }
    int handle = SDKUsb_Open(0);
    ASSERT_GE(handle, 0);
    uint8_t id[100] = {};
    uint32_t size = sizeof id;
    EXPECT_EQ(SDKUsb_GetDeviceIDString(handle, id, &size), 0);
    EXPECT_EQ(size, 260u);
    EXPECT_EQ(SDKUsb_GetDeviceIDString(handle, nullptr, &size), 0);
    EXPECT_EQ(SDKUsb_GetDeviceName(handle, nullptr), 0);
    EXPECT_EQ(SDKUsb_GetPipeHandle(handle, 0, 2, 0), -1);
    SDKUsb_Close(handle);
}

TEST(UsbCtrl, PipesCarryOneWholeFramePerRead) {
    PrinterFarm farm;
    farm.add("SN000001");
    int handle = SDKUsb_Open(0);
    ASSERT_GE(handle, 0);
    intptr_t write_pipe = SDKUsb_GetPipeHandle(handle, 0, 0, 0);
    intptr_t read_pipe = SDKUsb_GetPipeHandle(handle, 0, 1, 0);
    ASSERT_GE(write_pipe, 0);
    ASSERT_GE(read_pipe, 0);

    // Two inquiries in a row: two separate frames, never run together.
    ASSERT_EQ(tz::platform::pipe_write(write_pipe, kGetStatus.data(), 4).status, IoStatus::Ok);
    ASSERT_EQ(tz::platform::pipe_write(write_pipe, kGetStatus.data(), 4).status, IoStatus::Ok);
    for (int i = 0; i < 2; ++i) {
        std::vector<uint8_t> frame(300);
        auto got = tz::platform::pipe_read_timed(read_pipe, frame.data(), frame.size(), 2000);
        ASSERT_EQ(got.status, IoStatus::Ok);
        ASSERT_EQ(got.bytes, 75u);
        EXPECT_EQ(frame[0], 1);  // normal answer
        EXPECT_EQ(frame[7], 0);  // state: ready
        EXPECT_EQ(frame[8], 65);
        EXPECT_EQ(frame[9], 0);
    }

    EXPECT_EQ(SDKUsb_ClosePipe(write_pipe), 1);
    EXPECT_EQ(SDKUsb_ClosePipe(write_pipe), 0);  // already closed
    EXPECT_EQ(SDKUsb_ClosePipe(read_pipe), 1);
    EXPECT_EQ(SDKUsb_Close(handle), 1);
}

TEST(UsbCtrl, CloseReclaimsPipesTheirOwnerNeverClosed) {
    PrinterFarm farm;
    farm.add("SN000001");
    int handle = SDKUsb_Open(0);
    ASSERT_GE(handle, 0);
    intptr_t write_pipe = SDKUsb_GetPipeHandle(handle, 0, 0, 0);
    intptr_t read_pipe = SDKUsb_GetPipeHandle(handle, 0, 1, 0);
    ASSERT_EQ(SDKUsb_ClosePipe(write_pipe), 1);
    EXPECT_EQ(SDKUsb_Close(handle), 1);
    EXPECT_EQ(::fcntl(static_cast<int>(read_pipe), F_GETFD), -1);  // closed with its device
    // A late close of the reclaimed pipe must not touch whatever got its number since.
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    EXPECT_EQ(SDKUsb_ClosePipe(fds[0]), 0);
    EXPECT_EQ(SDKUsb_ClosePipe(read_pipe), 0);
    EXPECT_EQ(::write(fds[1], "x", 1), 1);
    ::close(fds[0]);
    ::close(fds[1]);
}

TEST(UsbCtrl, ClosePipeLeavesForeignDescriptorsAlone) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    EXPECT_EQ(SDKUsb_ClosePipe(fds[0]), 0);
    EXPECT_EQ(SDKUsb_ClosePipe(-1), 0);
    EXPECT_EQ(::write(fds[1], "x", 1), 1);  // still open
    ::close(fds[0]);
    ::close(fds[1]);
}

TEST(UsbCtrl, SeveralConnectionsToOnePrinterGetTheirOwnAnswers) {
    PrinterFarm farm;
    farm.add("SN000001");
    int a = SDKUsb_Open(0);
    int b = SDKUsb_Open(0);
    ASSERT_GE(a, 0);
    ASSERT_GE(b, 0);
    ASSERT_NE(a, b);
    intptr_t aw = SDKUsb_GetPipeHandle(a, 0, 0, 0), ar = SDKUsb_GetPipeHandle(a, 0, 1, 0);
    intptr_t bw = SDKUsb_GetPipeHandle(b, 0, 0, 0), br = SDKUsb_GetPipeHandle(b, 0, 1, 0);
    EXPECT_EQ(ask_status(aw, ar).size(), 75u);
    EXPECT_EQ(ask_status(bw, br).size(), 75u);
    // Nothing left over for either.
    uint8_t byte;
    EXPECT_EQ(tz::platform::pipe_read_timed(ar, &byte, 1, 100).status, IoStatus::TimedOut);
    EXPECT_EQ(tz::platform::pipe_read_timed(br, &byte, 1, 100).status, IoStatus::TimedOut);
    for (intptr_t p : {aw, ar, bw, br}) SDKUsb_ClosePipe(p);
    SDKUsb_Close(a);
    SDKUsb_Close(b);
}

TEST(UsbCtrl, HandlesStayBelow128) {
    PrinterFarm farm;
    farm.add("SN000001");
    std::vector<int> handles;
    for (int i = 0; i < 130; ++i) {
        int h = SDKUsb_Open(0);
        if (h < 0) break;
        EXPECT_LT(h, 128);
        handles.push_back(h);
    }
    EXPECT_EQ(handles.size(), 128u);
    for (int h : handles) EXPECT_EQ(SDKUsb_Close(h), 1);
    int again = SDKUsb_Open(0);
    EXPECT_GE(again, 0);
    SDKUsb_Close(again);
}

TEST(UsbCtrl, UnpluggedPrinterIsGoneAtOnceAndComesBackAsANewDevice) {
    PrinterFarm farm;
    auto& first = farm.add("SN000001");
    farm.add("SN000002");
    int handle = SDKUsb_Open(0);
    ASSERT_GE(handle, 0);
    intptr_t write_pipe = SDKUsb_GetPipeHandle(handle, 0, 0, 0);
    intptr_t read_pipe = SDKUsb_GetPipeHandle(handle, 0, 1, 0);

    ASSERT_EQ(control(first, "unplug"), "ok");
    EXPECT_EQ(SDKUsb_CheckDevice(handle), 0);
    EXPECT_TRUE(ask_status(write_pipe, read_pipe, 200).empty());
    // The remaining printer moves up to device number 0; the old handle is not it.
    EXPECT_EQ(SDKUsb_CheckDeviceName(0), -1);
    int other = SDKUsb_Open(0);
    EXPECT_EQ(serial_of(other), "SN000002");
    EXPECT_EQ(SDKUsb_Open(1), -1);

    ASSERT_EQ(control(first, "replug"), "ok");
    int again = SDKUsb_Open(0);
    ASSERT_GE(again, 0);
    EXPECT_EQ(serial_of(again), "SN000001");
    EXPECT_EQ(SDKUsb_CheckDeviceName(0), again);
    EXPECT_NE(SDKUsb_CheckDevice(again), 0);

    SDKUsb_ClosePipe(write_pipe);
    SDKUsb_ClosePipe(read_pipe);
    for (int h : {handle, other, again}) SDKUsb_Close(h);
}

TEST(UsbCtrl, StoppedPrinterIsDetached) {
    PrinterFarm farm;
    auto& printer = farm.add("SN000001");
    int handle = SDKUsb_Open(0);
    ASSERT_GE(handle, 0);
    printer.stop();
    EXPECT_EQ(SDKUsb_CheckDevice(handle), 0);
    EXPECT_EQ(SDKUsb_Open(0), -1);
    SDKUsb_Close(handle);
}

TEST(UsbCtrl, SocketFileWithoutPrinterIsNotADevice) {
    PrinterFarm farm;
    // A socket file left behind by a printer that was killed: nobody listens.
    std::string stale = farm.folder().file("AAAAAAAA.sock");
    int fd = ::socket(AF_UNIX, SOCK_SEQPACKET, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, stale.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    farm.add("SN000001");

    // It keeps its device number, but cannot be opened.
    EXPECT_EQ(SDKUsb_Open(0), -1);
    int handle = SDKUsb_Open(1);
    ASSERT_GE(handle, 0);
    EXPECT_EQ(serial_of(handle), "SN000001");
    EXPECT_EQ(SDKUsb_Open(2), -1);
    SDKUsb_Close(handle);
}

TEST(UsbCtrl, HangingPrinterTakesCommandsButDoesNotAnswer) {
    PrinterFarm farm;
    auto& printer = farm.add("SN000001");
    int handle = SDKUsb_Open(0);
    ASSERT_GE(handle, 0);
    intptr_t w = SDKUsb_GetPipeHandle(handle, 0, 0, 0), r = SDKUsb_GetPipeHandle(handle, 0, 1, 0);
    ASSERT_EQ(control(printer, "hang"), "ok");
    EXPECT_TRUE(ask_status(w, r, 200).empty());
    EXPECT_NE(SDKUsb_CheckDevice(handle), 0);  // still on the bus
    ASSERT_EQ(control(printer, "resume"), "ok");
    EXPECT_EQ(ask_status(w, r).size(), 75u);
    SDKUsb_ClosePipe(w);
    SDKUsb_ClosePipe(r);
    SDKUsb_Close(handle);
}

// A bridge folder the user may not read (not in group lp): one line on stderr
// for the whole process, naming the group and the udev rule, and none with
// TZ5170_QUIET=1. Each look is made in a child process of an ordinary user
// (nobody, when the tests run as root, whom no folder keeps out).
TEST(UsbCtrl, UnreadableBridgeFolderIsToldOnceUnlessQuiet) {
    tz::test::TempFolder folder;
    const std::string bridge = folder.file("tz5170");
    ASSERT_EQ(::mkdir(bridge.c_str(), 0), 0);
    ASSERT_EQ(::chmod(folder.path().c_str(), 0711), 0);  // as /run: the folder itself can be looked up
    for (const bool quiet : {false, true}) {
        const std::string err = folder.file(quiet ? "quiet.txt" : "told.txt");
        const int err_fd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(err_fd, 0);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::dup2(err_fd, 2);
            if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
                ::_exit(3);
            ::setenv("TZ5170_USB_DIR", bridge.c_str(), 1);
            ::unsetenv("TZ5170_EMULATOR");
            if (quiet)
                ::setenv("TZ5170_QUIET", "1", 1);
            else
                ::unsetenv("TZ5170_QUIET");
            const bool none = SDKUsb_CheckDeviceName(0) == -1 && SDKUsb_Open(0) == -1;
            ::_exit(none ? 0 : 4);
        }
        ::close(err_fd);
        int status = -1;
        for (int i = 0; i < 1000 && ::waitpid(pid, &status, WNOHANG) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!WIFEXITED(status)) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            FAIL() << "the child did not end";
        }
        if (WEXITSTATUS(status) == 3) GTEST_SKIP() << "this machine does not let root become user nobody";
        EXPECT_EQ(WEXITSTATUS(status), 0);
        std::stringstream text;
        text << std::ifstream(err).rdbuf();
        const std::string told = text.str();
        if (quiet) {
            EXPECT_EQ(told, "");
        } else {
            EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), 1) << told;
            EXPECT_NE(told.find("cannot read " + bridge), std::string::npos) << told;
            EXPECT_NE(told.find("group lp"), std::string::npos) << told;
            EXPECT_NE(told.find("60-tz5170.rules"), std::string::npos) << told;
        }
    }
}

}  // namespace
