#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The phone's socket calls on non-blocking BSD sockets. Addresses and ports
// stay in network byte order, as the callers hold them. No call waits: polls
// use a zero wait and every socket is non-blocking once switched.
namespace tessel::sockets {

inline constexpr int kNoSocket = -1;

enum class SocketIo {
    Done, // the call did what was asked (possibly part of it)
    WouldBlock, // nothing can be done now; try again later
    PeerClosed, // the peer closed its side in order (receive only)
    Failed,
};

// The sockets layer needs no start-up here; these keep the callers' pairing.
bool socketsStartup();
void socketsCleanup();

// A TCP socket, or kNoSocket.
int socketOpenTcp();
bool socketSetNonBlocking(int socket);

// Done when connected at once, WouldBlock while the connect is under way
// (the socket becomes writable when it ends; see socketConnectError).
SocketIo socketConnect(int socket, std::uint32_t address, std::uint16_t port);

struct SocketPoll {
    bool readable = false;
    bool writable = false;
    bool error = false; // an error condition or a hang-up is pending
};

// Zero-wait poll; false when the socket cannot be polled.
bool socketPoll(int socket, SocketPoll* state);

// The error of a finished connect (SO_ERROR; 0 means connected), or -1 when
// it cannot be read.
int socketConnectError(int socket);

// Up to size bytes into buffer; *received holds the count on Done.
SocketIo socketReceive(int socket, void* buffer, std::size_t size, std::size_t* received);

// Up to size bytes; *sent holds the count on Done. A peer that has gone is a
// failure, never a signal (MSG_NOSIGNAL).
SocketIo socketSend(int socket, const void* data, std::size_t size, std::size_t* sent);

bool socketClose(int socket);

// The host's first IPv4 address (network byte order), 0 when it has none.
std::uint32_t socketResolve(const char* hostName);

// "a.b.c.d" of an address in network byte order.
std::string socketDottedAddress(std::uint32_t address);

} // namespace tessel::sockets
