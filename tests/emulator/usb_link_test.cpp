// The virtual printer as the printer-control library meets it: through the
// USB control library's pipes, one read per transfer.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "model_harness.h"
#include "platform/pipe_io.h"
#include "printer_farm.h"
#include "usbctrl/sdkusb.h"

namespace {

using tz::emulator::Bytes;
using tz::platform::IoStatus;
using tz::test::control;
using tz::test::kAck;
using tz::test::PrinterFarm;
using tz::test::ready_header;
using tz::test::with;

class Pipes {
public:
    Pipes() {
        handle_ = SDKUsb_Open(0);
        if (handle_ < 0) return;
        write_ = SDKUsb_GetPipeHandle(handle_, 0, 0, 0);
        read_ = SDKUsb_GetPipeHandle(handle_, 0, 1, 0);
    }
    ~Pipes() {
        if (write_ >= 0) SDKUsb_ClosePipe(write_);
        if (read_ >= 0) SDKUsb_ClosePipe(read_);
        if (handle_ >= 0) SDKUsb_Close(handle_);
    }
    bool open() const { return handle_ >= 0 && write_ >= 0 && read_ >= 0; }
    int handle() const { return handle_; }
    bool write(const Bytes& bytes) { return tz::platform::pipe_write(write_, bytes.data(), bytes.size()).status == IoStatus::Ok; }
    // One read of up to 512 bytes, as the library's direct read does.
    Bytes read(uint32_t timeout_ms = 2000) {
        Bytes buffer(512);
        auto got = tz::platform::pipe_read_timed(read_, buffer.data(), buffer.size(), timeout_ms);
        buffer.resize(got.status == IoStatus::Ok ? got.bytes : 0);
        return buffer;
    }

private:
    int handle_ = -1;
    intptr_t write_ = -1;
    intptr_t read_ = -1;
};

TEST(UsbLink, ToneCurveGoesOutAsDataAndComesBackAsOneReadPerPacket) {
    PrinterFarm farm;
    tz::emulator::PrinterOptions options;
    options.serial = "SN000021";
    options.time_scale = 0.001;
    farm.add(options);
    Pipes pipes;
    ASSERT_TRUE(pipes.open());

    Bytes curve(1536);
    for (size_t i = 0; i < curve.size(); ++i) curve[i] = static_cast<uint8_t>(255 - i % 256);
    ASSERT_TRUE(pipes.write({0x04, 0xC0, 0x0A, 0x00, 0x04, 0x01, 0, 0, 0, 0, 0x00, 0x06, 0x00, 0x00}));
    EXPECT_EQ(pipes.read(), kAck);
    ASSERT_TRUE(pipes.write(curve));
    ASSERT_TRUE(pipes.write({0x05, 0x40, 0x02, 0x00, 0x02, 0x01}));
    EXPECT_EQ(pipes.read(), with(ready_header(2), {0x00, 0x06}));
    Bytes received;
    while (received.size() < 1536) {
        Bytes packet = pipes.read();
        ASSERT_GE(packet.size(), 2u);
        EXPECT_EQ(packet[1], packet.size() - 2);  // the count byte matches what the read brought
        received.insert(received.end(), packet.begin() + 2, packet.end());
    }
    EXPECT_EQ(received, curve);
}

TEST(UsbLink, BusyPrinterBrokenFramesAndUnplugReachTheHost) {
    PrinterFarm farm;
    auto& printer = farm.add("SN000022");
    Pipes pipes;
    ASSERT_TRUE(pipes.open());
    ASSERT_EQ(control(printer, "busy"), "ok");
    ASSERT_TRUE(pipes.write({0x01, 0x00, 0x00, 0x00}));
    Bytes status = pipes.read();
    ASSERT_EQ(status.size(), 75u);
    EXPECT_NE(status[45], 0);
    EXPECT_NE(status[53], 0);
    ASSERT_EQ(control(printer, "truncate-next"), "ok");
    ASSERT_TRUE(pipes.write({0x01, 0x00, 0x00, 0x00}));
    EXPECT_EQ(pipes.read().size(), 37u);
    EXPECT_NE(SDKUsb_CheckDevice(pipes.handle()), 0);
    ASSERT_EQ(control(printer, "unplug"), "ok");
    EXPECT_EQ(SDKUsb_CheckDevice(pipes.handle()), 0);
}

}  // namespace
