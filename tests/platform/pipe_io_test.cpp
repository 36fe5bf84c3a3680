// Pipe reads and writes, with and without a limit, on message sockets and
// plain pipes.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <csignal>
#include <string>
#include <thread>
#include <vector>

#include "platform/local_socket.h"
#include "platform/pipe_io.h"
#include "temp_folder.h"

namespace {

using namespace tz::platform;
using Clock = std::chrono::steady_clock;

long elapsed_ms(Clock::time_point since) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count());
}

TEST(PipeIo, MessageSocketKeepsMessageBoundaries) {
    LocalSocket a, b;
    ASSERT_TRUE(LocalSocket::pair(a, b));
    ASSERT_EQ(pipe_write(a.fd(), "abc", 3).status, IoStatus::Ok);
    ASSERT_EQ(pipe_write_timed(a.fd(), "defgh", 5, 1000).bytes, 5u);
    char buffer[16];
    IoResult first = pipe_read(b.fd(), buffer, sizeof buffer);
    EXPECT_EQ(first.bytes, 3u);
    EXPECT_EQ(std::string(buffer, 3), "abc");
    IoResult second = pipe_read_timed(b.fd(), buffer, sizeof buffer, 1000);
    EXPECT_EQ(second.status, IoStatus::Ok);
    EXPECT_EQ(std::string(buffer, second.bytes), "defgh");
}

TEST(PipeIo, TimedReadGivesUpAtItsLimitAndLeavesTheMessageForLater) {
    LocalSocket a, b;
    ASSERT_TRUE(LocalSocket::pair(a, b));
    char buffer[8];
    auto start = Clock::now();
    IoResult got = pipe_read_timed(b.fd(), buffer, sizeof buffer, 300);
    long waited = elapsed_ms(start);
    EXPECT_EQ(got.status, IoStatus::TimedOut);
    EXPECT_GE(waited, 290);
    EXPECT_LT(waited, 3000);
    // Nothing was left blocked on the descriptor: a message sent now is read whole.
    ASSERT_EQ(pipe_write(a.fd(), "late", 4).status, IoStatus::Ok);
    got = pipe_read_timed(b.fd(), buffer, sizeof buffer, 1000);
    EXPECT_EQ(std::string(buffer, got.bytes), "late");
}

TEST(PipeIo, TimedWriteGivesUpWhenTheReceiverNeverReads) {
    LocalSocket a, b;
    ASSERT_TRUE(LocalSocket::pair(a, b));
    std::vector<char> block(4096, 'x');
    IoResult last;
    auto start = Clock::now();
    for (int i = 0; i < 100000 && last.status != IoStatus::TimedOut; ++i)
        last = pipe_write_timed(a.fd(), block.data(), block.size(), 200);
    EXPECT_EQ(last.status, IoStatus::TimedOut);
    EXPECT_LT(elapsed_ms(start), 20000);
}

TEST(PipeIo, GonePeerIsAFailureNotASignal) {
    LocalSocket a, b;
    ASSERT_TRUE(LocalSocket::pair(a, b));
    b.close();
    // Without care a write here raises SIGPIPE and ends the host program.
    EXPECT_EQ(pipe_write(a.fd(), "x", 1).status, IoStatus::Failed);
    EXPECT_EQ(pipe_write_timed(a.fd(), "x", 1, 100).status, IoStatus::Failed);
    char buffer[4];
    // A read at the end of the connection returns no bytes: that is a failure too.
    EXPECT_EQ(pipe_read(a.fd(), buffer, sizeof buffer).status, IoStatus::Failed);
    EXPECT_EQ(pipe_read_timed(a.fd(), buffer, sizeof buffer, 100).status, IoStatus::Failed);
    EXPECT_TRUE(a.peer_closed());
}

TEST(PipeIo, BadHandlesFailAtOnce) {
    char buffer[4];
    EXPECT_EQ(pipe_read(-1, buffer, sizeof buffer).status, IoStatus::Failed);
    EXPECT_EQ(pipe_write(-1, buffer, sizeof buffer).status, IoStatus::Failed);
    EXPECT_EQ(pipe_read_timed(-1, buffer, sizeof buffer, 10).status, IoStatus::Failed);
    EXPECT_EQ(pipe_write_timed(-1, buffer, sizeof buffer, 10).status, IoStatus::Failed);
}

TEST(PipeIo, PlainPipesWorkToo) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ASSERT_EQ(pipe_write_timed(fds[1], "pipe", 4, 100).status, IoStatus::Ok);
    char buffer[8];
    IoResult got = pipe_read_timed(fds[0], buffer, sizeof buffer, 100);
    EXPECT_EQ(std::string(buffer, got.bytes), "pipe");
    EXPECT_EQ(pipe_read_timed(fds[0], buffer, sizeof buffer, 50).status, IoStatus::TimedOut);
    close_pipe(fds[0]);
    close_pipe(fds[1]);
}

TEST(LocalSocket, ShutdownWakesABlockedReaderOnEveryDuplicate) {
    LocalSocket a, b;
    ASSERT_TRUE(LocalSocket::pair(a, b));
    int duplicate = b.duplicate();
    ASSERT_GE(duplicate, 0);
    IoResult got;
    std::thread reader([&] {
        char buffer[4];
        got = pipe_read(duplicate, buffer, sizeof buffer);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    b.shutdown();
    reader.join();
    EXPECT_EQ(got.status, IoStatus::Failed);
    close_pipe(duplicate);
}

TEST(LocalSocket, ListenerAcceptsConnectsAndRemovesItsFile) {
    tz::test::TempFolder folder;
    std::string path = folder.file("p.sock");
    EXPECT_FALSE(LocalSocket::connect(path, SocketKind::Message).valid());
    {
        LocalListener listener = LocalListener::listen(path, SocketKind::Message);
        ASSERT_TRUE(listener.valid());
        EXPECT_FALSE(listener.accept(20).valid());  // nobody yet
        LocalSocket client = LocalSocket::connect(path, SocketKind::Message);
        ASSERT_TRUE(client.valid());
        LocalSocket server = listener.accept(1000);
        ASSERT_TRUE(server.valid());
        EXPECT_EQ(client.send("hi", 2, 100).status, IoStatus::Ok);
        char buffer[4];
        EXPECT_EQ(server.receive(buffer, sizeof buffer, 100).bytes, 2u);
        EXPECT_FALSE(client.peer_closed());
        server.close();
        EXPECT_TRUE(client.peer_closed());
    }
    EXPECT_FALSE(LocalSocket::connect(path, SocketKind::Message).valid());
    // A path too long for a socket address is refused, not cut short.
    EXPECT_FALSE(LocalListener::listen(folder.file(std::string(200, 'x')), SocketKind::Message).valid());
}

}  // namespace
