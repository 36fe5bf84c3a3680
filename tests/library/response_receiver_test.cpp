// The readers of the response receiver, on frames a test printer sends over
// a socket pair.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "core/response_receiver.h"
#include "core/transport.h"
#include "library_session.h"
#include "platform/local_socket.h"
#include "platform/pipe_io.h"

namespace {

using tz::lib::ResultCode;
using Bytes = std::vector<uint8_t>;

struct Receiver {
    tz::platform::LocalSocket host, printer;
    tz::lib::PipeFields pipes;
    tz::lib::SelectionSlot selection;
    tz::lib::Transport transport{pipes, selection};
    tz::lib::ResponseReceiver reader{transport};
    Receiver() {
        tz::platform::LocalSocket::pair(host, printer);
        tz::lib::Selection connected;
        connected.read_pipe = host.fd();
        connected.write_pipe = host.fd();
        selection.store(connected);
    }
    Receiver& next(const Bytes& frame) {
        tz::platform::pipe_write(printer.fd(), frame.data(), frame.size());
        return *this;
    }
};

Bytes frame(uint8_t kind, uint8_t state, const Bytes& payload) {
    Bytes f(10 + payload.size(), 0);
    f[0] = kind;
    f[7] = state;
    f[8] = static_cast<uint8_t>(payload.size());
    std::copy(payload.begin(), payload.end(), f.begin() + 10);
    return f;
}

const Bytes kRejected = {0x02, 0x01, 0, 0, 0, 0, 0, 0, 0, 0};

TEST(ResponseReceiver, PayloadReadersCopyThePayloadWithoutDecodingTheState) {
    Receiver r;
    std::array<uint8_t, 300> out{};
    uint32_t count = 0;
    r.next(frame(1, 0x63, {1, 2, 3}));  // a state letter: not looked at here
    ASSERT_EQ(r.reader.read_payload(out.data(), out.size(), count), 0);
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(out[2], 3);

    uint8_t length = 0;
    r.next(frame(1, 0, Bytes(255, 7)));
    ASSERT_EQ(r.reader.read_payload_with_length(out.data(), out.size(), length), 0);
    EXPECT_EQ(length, 255);

    r.next(kRejected);
    EXPECT_EQ(r.reader.read_payload(out.data(), out.size(), count), 2601);
    EXPECT_EQ(count, 0u);

    // A payload larger than the caller's buffer is refused, not copied past it.
    r.next(frame(1, 0, Bytes(40, 1)));
    EXPECT_EQ(r.reader.read_payload(out.data(), 39, count), 2600);
}

TEST(ResponseReceiver, FrameReaderCopiesHeaderAndPayload) {
    Receiver r;
    std::array<uint8_t, 300> out{};
    uint32_t count = 0;
    Bytes sent = frame(1, 0x11, Bytes(65, 9));
    r.next(sent);
    ASSERT_EQ(r.reader.read_frame(out.data(), out.size(), count), 0);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + count), sent);
    // A frame whose length field does not match what came is thrown away.
    Bytes short_frame = frame(1, 0, {1, 2, 3, 4});
    short_frame.resize(12);
    r.next(short_frame);
    EXPECT_EQ(r.reader.read_frame(out.data(), out.size(), count), 2600);
    EXPECT_EQ(count, 0u);
}

TEST(ResponseReceiver, SizeReaderTakesTheFirstTwoPayloadBytes) {
    Receiver r;
    uint16_t size = 0;
    r.next(frame(1, 0, {0x00, 0x06}));
    ASSERT_EQ(r.reader.read_size(size), 0);
    EXPECT_EQ(size, 0x0600);
    r.next(frame(1, 0, {0x05}));  // too short to hold a size
    EXPECT_EQ(r.reader.read_size(size), 2600);
    r.next(kRejected);
    EXPECT_EQ(r.reader.read_size(size), 2601);
}

TEST(ResponseReceiver, StateAndAcknowledgeReaders) {
    Receiver r;
    ResultCode state = 0;
    r.next(frame(1, 0x63, {}));
    EXPECT_EQ(r.reader.read_state(state), 0);
    EXPECT_EQ(state, 2202);
    r.next(kRejected);
    EXPECT_EQ(r.reader.read_state(state), 0);  // an answer came: its state is 2600
    EXPECT_EQ(state, 2600);
    r.next(frame(1, 0x21, {}));
    EXPECT_EQ(r.reader.read_acknowledge(), 0);
    r.next({0x02, 0x11, 0x06, 0x01, 0x00, 0, 0, 0, 0, 0});
    EXPECT_EQ(r.reader.read_acknowledge(), 2309);
}

}  // namespace
