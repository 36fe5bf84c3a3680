// Moving bytes through a context's pipes, on socket pairs standing in for a
// printer.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <vector>

#include "core/transport.h"
#include "library_session.h"
#include "platform/local_socket.h"
#include "platform/pipe_io.h"

namespace {

using tz::lib::PipeFields;
using tz::lib::ResultCode;
using tz::lib::Transport;
using tz::platform::LocalSocket;

// A context's pipes connected to a printer end the test holds.
struct Wire {
    LocalSocket host, printer;
    PipeFields pipes;
    tz::lib::SelectionSlot selection;
    Transport transport{pipes, selection};
    Wire() {
        LocalSocket::pair(host, printer);
        tz::lib::Selection connected;
        connected.write_pipe = host.fd();
        connected.read_pipe = host.fd();
        selection.store(connected);
    }
    void printer_sends(const std::vector<uint8_t>& bytes) {
        ASSERT_EQ(tz::platform::pipe_write(printer.fd(), bytes.data(), bytes.size()).bytes, bytes.size());
    }
};

TEST(Transport, TimedWriteSendsThePacketAsOneTransfer) {
    Wire wire;
    const uint8_t packet[] = {0x07, 0x40, 0x05, 0x00, 0x11, 0xE8, 0x03, 0x00, 0x00};
    uint32_t written = 0;
    ASSERT_EQ(wire.transport.timed_write(packet, sizeof packet, written), TZP_OK);
    EXPECT_EQ(written, sizeof packet);
    uint8_t got[64];
    EXPECT_EQ(wire.printer.receive(got, sizeof got, 100).bytes, sizeof packet);
    EXPECT_EQ(std::vector<uint8_t>(got, got + sizeof packet), std::vector<uint8_t>(packet, packet + sizeof packet));

    std::vector<uint8_t> too_long(1025, 0);
    EXPECT_EQ(wire.transport.timed_write(too_long.data(), 1025, written), TZP_USB_ERROR);
    EXPECT_EQ(written, 0u);
}

TEST(Transport, TimedReadTakesOneFrameAndAZeroByteReadFails) {
    Wire wire;
    std::array<uint8_t, 300> buffer{};
    uint32_t count = 0;
    wire.printer_sends({0x01, 0, 0, 0, 0, 0, 0, 0, 0x02, 0x00, 0xAA, 0xBB});
    ASSERT_EQ(wire.transport.timed_read(buffer.data(), buffer.size(), count), TZP_OK);
    EXPECT_EQ(count, 12u);
    EXPECT_EQ(buffer[11], 0xBB);

    wire.printer_sends({});
    EXPECT_EQ(wire.transport.timed_read(buffer.data(), buffer.size(), count), TZP_USB_ERROR);
    EXPECT_EQ(count, 0u);

    // A frame larger than the caller's buffer is refused, not copied past its end.
    wire.printer_sends(std::vector<uint8_t>(40, 1));
    EXPECT_EQ(wire.transport.timed_read(buffer.data(), 20, count), TZP_USB_ERROR);
}

TEST(Transport, FramedDirectReadChecksTheAnnouncedLength) {
    Wire wire;
    std::array<uint8_t, 512> buffer{};
    uint32_t count = 0;
    bool agrees = false;
    wire.printer_sends({0x00, 0x08, 1, 2, 3, 4, 5, 6, 7, 8});
    ASSERT_EQ(wire.transport.framed_direct_read(buffer.data(), buffer.size(), count, agrees), TZP_OK);
    EXPECT_EQ(count, 8u);
    EXPECT_TRUE(agrees);
    EXPECT_EQ(buffer[0], 1);
    EXPECT_EQ(buffer[7], 8);

    wire.printer_sends({0x00, 0x07, 1, 2, 3, 4, 5, 6, 7, 8});
    EXPECT_EQ(wire.transport.framed_direct_read(buffer.data(), buffer.size(), count, agrees), TZP_OK);
    EXPECT_EQ(count, 8u);
    EXPECT_FALSE(agrees);  // delivered, but the length did not match

    // One byte is not even a header.
    wire.printer_sends({0x00});
    EXPECT_EQ(wire.transport.framed_direct_read(buffer.data(), buffer.size(), count, agrees), TZP_USB_ERROR);
    EXPECT_EQ(count, 0u);
}

TEST(Transport, DirectReadAsksForTheReadLength) {
    Wire wire;
    std::array<uint8_t, 1024> buffer{};
    uint32_t count = 0;
    wire.printer_sends(std::vector<uint8_t>(600, 7));
    ASSERT_EQ(wire.transport.direct_read(buffer.data(), buffer.size(), count), TZP_OK);
    EXPECT_EQ(count, 512u);  // a message socket drops the rest of a longer transfer
}

TEST(Transport, ReadFromAPrinterThatNeverAnswersGivesUpAtTheLimit) {
    Wire wire;
    std::array<uint8_t, 300> buffer{};
    uint32_t count = 0;
    EXPECT_FALSE(tz::lib::read_timed_out());
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(wire.transport.timed_read(buffer.data(), buffer.size(), count), TZP_USB_ERROR);
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(tz::test::kTestIoTimeoutMs - 20));
    EXPECT_LT(waited, std::chrono::milliseconds(tz::test::kTestIoTimeoutMs * 10));
    EXPECT_TRUE(tz::lib::read_timed_out());
    EXPECT_FALSE(tz::lib::write_timed_out());
    // The write direction is untouched.
    const uint8_t packet[] = {0x01, 0x00, 0x00, 0x00};
    uint32_t written = 0;
    EXPECT_EQ(wire.transport.timed_write(packet, 4, written), TZP_OK);
}

TEST(Transport, WriteToAGonePrinterFails) {
    Wire wire;
    wire.printer.close();
    const uint8_t packet[] = {0x03, 0x40, 0x00, 0x00};
    uint32_t written = 9;
    EXPECT_EQ(wire.transport.timed_write(packet, 4, written), TZP_USB_ERROR);
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(wire.transport.direct_write(packet, 4, written), TZP_USB_ERROR);
    EXPECT_FALSE(tz::lib::write_timed_out());
}

TEST(Transport, AnswersWaitingBeforeAWriteAreThrownAway) {
    Wire wire;
    wire.printer_sends({0x01, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x00});  // late
    wire.printer_sends({0x01, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x00});
    const uint8_t packet[] = {0x01, 0x00, 0x00, 0x00};
    uint32_t written = 0;
    ASSERT_EQ(wire.transport.timed_write(packet, sizeof packet, written), TZP_OK);
    wire.printer_sends({0x01, 0, 0, 0, 0, 0, 0, 0x61, 0x00, 0x00});  // the answer
    std::array<uint8_t, 300> buffer{};
    uint32_t count = 0;
    ASSERT_EQ(wire.transport.timed_read(buffer.data(), buffer.size(), count), TZP_OK);
    EXPECT_EQ(buffer[7], 0x61);
}

// Nothing is owed here, as after every answer that came in time: the second
// copy must still go before the next command, or it is taken for its answer.
TEST(Transport, ASecondAnswerToOneCommandIsThrownAwayBeforeTheNext) {
    Wire wire;
    std::atomic<uint32_t> owed{0};
    tz::lib::Selection connected = wire.selection.load();
    connected.answers_owed = &owed;
    wire.selection.store(connected);
    const uint8_t packet[] = {0x01, 0x00, 0x00, 0x00};
    std::array<uint8_t, 300> buffer{};
    uint32_t written = 0, count = 0;
    ASSERT_EQ(wire.transport.timed_write(packet, sizeof packet, written), TZP_OK);
    wire.printer_sends({0x01, 0, 0, 0, 0, 0, 0, 0x61, 0x00, 0x00});
    wire.printer_sends({0x01, 0, 0, 0, 0, 0, 0, 0x61, 0x00, 0x00});  // the same again
    ASSERT_EQ(wire.transport.timed_read(buffer.data(), buffer.size(), count), TZP_OK);
    ASSERT_EQ(wire.transport.timed_write(packet, sizeof packet, written), TZP_OK);
    wire.printer_sends({0x01, 0, 0, 0, 0, 0, 0, 0x62, 0x00, 0x00});
    ASSERT_EQ(wire.transport.timed_read(buffer.data(), buffer.size(), count), TZP_OK);
    EXPECT_EQ(buffer[7], 0x62);
    EXPECT_EQ(owed.load(), 0u);
}

TEST(IoTimeout, OnlyPlainMillisecondsUpToTenMinutesCount) {
    using tz::lib::parse_io_timeout_ms;
    EXPECT_EQ(parse_io_timeout_ms("1"), 1u);
    EXPECT_EQ(parse_io_timeout_ms("600000"), 600000u);
    for (const char* bad : {"", "0", "-5", "+5", " 500", "500ms", "abc", "600001", "99999999999999999999"})
        EXPECT_EQ(parse_io_timeout_ms(bad), std::nullopt) << bad;
}

}  // namespace
