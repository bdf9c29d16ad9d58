#include "platform/sockets/Sockets.h"
#include "tests/support/LoopbackServer.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

namespace tessel::sockets {
namespace {

const std::uint32_t kLoopback = htonl(INADDR_LOOPBACK);

// Polls (bounded by 5 s) until the predicate holds for the socket's state.
template <typename Predicate> bool pollUntil(int s, Predicate predicate)
{
    for (int i = 0; i < 2500; ++i) {
        SocketPoll state;
        if (socketPoll(s, &state) && predicate(state))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

int connectedClient(LoopbackServer& listener)
{
    int s = socketOpenTcp();
    EXPECT_TRUE(socketSetNonBlocking(s));
    SocketIo started = socketConnect(s, kLoopback, htons(listener.port()));
    EXPECT_TRUE(started == SocketIo::WouldBlock || started == SocketIo::Done);
    EXPECT_TRUE(pollUntil(s, [](const SocketPoll& p) { return p.writable; }));
    EXPECT_EQ(socketConnectError(s), 0);
    return s;
}

TEST(Sockets, ConnectSendAndReceiveOverLoopbackWithoutWaiting)
{
    LoopbackServer listener;
    int client = connectedClient(listener);
    int server = listener.acceptSocket();
    ASSERT_GE(server, 0);

    char buffer[64];
    std::size_t count = 99;
    EXPECT_EQ(socketReceive(client, buffer, sizeof buffer, &count), SocketIo::WouldBlock)
        << "no data yet is not a close";
    EXPECT_EQ(count, 0u);

    std::size_t sent = 0;
    ASSERT_EQ(socketSend(client, "GET / HTTP/1.1\r\n", 16, &sent), SocketIo::Done);
    EXPECT_EQ(sent, 16u);
    EXPECT_EQ(::recv(server, buffer, sizeof buffer, 0), 16);

    ASSERT_EQ(::send(server, "HTTP/1.1 200 OK\r\n", 17, 0), 17);
    ASSERT_TRUE(pollUntil(client, [](const SocketPoll& p) { return p.readable; }));
    EXPECT_EQ(socketReceive(client, buffer, 5, &count), SocketIo::Done);
    EXPECT_EQ(std::string(buffer, count), "HTTP/");
    EXPECT_EQ(socketReceive(client, buffer, sizeof buffer, &count), SocketIo::Done);
    EXPECT_EQ(std::string(buffer, count), "1.1 200 OK\r\n");

    ::close(server);
    ASSERT_TRUE(pollUntil(client, [](const SocketPoll& p) { return p.readable; }));
    EXPECT_EQ(socketReceive(client, buffer, sizeof buffer, &count), SocketIo::PeerClosed);
    EXPECT_EQ(count, 0u);
    EXPECT_TRUE(socketClose(client));
    EXPECT_FALSE(socketClose(kNoSocket));
}

TEST(Sockets, ARefusedConnectShowsItsErrorOnceFinished)
{
    LoopbackServer listener;
    const std::uint16_t port = htons(listener.port());
    listener.stopListening(); // nothing listens on the port any more

    int s = socketOpenTcp();
    ASSERT_NE(s, kNoSocket);
    ASSERT_TRUE(socketSetNonBlocking(s));
    SocketIo started = socketConnect(s, kLoopback, port);
    if (started == SocketIo::WouldBlock) {
        ASSERT_TRUE(pollUntil(s, [](const SocketPoll& p) { return p.writable || p.error; }));
        EXPECT_NE(socketConnectError(s), 0);
    } else {
        EXPECT_EQ(started, SocketIo::Failed);
    }
    socketClose(s);
}

TEST(Sockets, SendingToAPeerThatHasGoneFailsWithoutASignal)
{
    LoopbackServer listener;
    int client = connectedClient(listener);
    int server = listener.acceptSocket();
    // Linger 0: the close resets the connection.
    linger reset {1, 0};
    ::setsockopt(server, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    ::close(server);
    ASSERT_TRUE(pollUntil(client, [](const SocketPoll& p) { return p.error || p.readable; }));
    char buffer[8];
    std::size_t count = 0;
    EXPECT_EQ(socketReceive(client, buffer, sizeof buffer, &count), SocketIo::Failed)
        << "a reset is no orderly close";

    std::string chunk(4096, 'x');
    SocketIo result = SocketIo::Done;
    for (int i = 0; i < 100 && result != SocketIo::Failed; ++i) {
        std::size_t sent = 0;
        result = socketSend(client, chunk.data(), chunk.size(), &sent);
    }
    EXPECT_EQ(result, SocketIo::Failed); // and the process is still here
    socketClose(client);
}

TEST(Sockets, ResolvesIPv4NamesAndFormatsDottedAddresses)
{
    EXPECT_EQ(socketResolve("127.0.0.1"), kLoopback);
    EXPECT_EQ(socketResolve("localhost"), kLoopback);
    EXPECT_EQ(socketResolve(""), 0u);
    EXPECT_EQ(socketResolve(nullptr), 0u);
    EXPECT_EQ(socketDottedAddress(kLoopback), "127.0.0.1");
    EXPECT_EQ(socketDottedAddress(htonl(0xC0A80A01)), "192.168.10.1");
}

} // namespace
} // namespace tessel::sockets
