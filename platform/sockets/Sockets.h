#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// The phone's socket calls on non-blocking BSD sockets. Addresses and ports
// stay in network byte order, as the callers hold them. Only socketWaitAny
// waits: every socket is non-blocking once switched, and a name lookup runs
// on a thread of its own.
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

struct SocketWatch {
    int socket = kNoSocket;
    bool write = false; // wait for room to send, else for data to read
    bool ready = false; // set by socketWaitAny
};

// Waits until one of the sockets is ready (an error or a hang-up counts as
// ready) or timeoutMs have passed (kWaitForever: no limit); marks the ready
// ones. Without sockets it only waits. False when the wait failed.
inline constexpr std::uint32_t kWaitForever = 0xFFFFFFFFu;
bool socketWaitAny(SocketWatch* watches, std::size_t count, std::uint32_t timeoutMs);

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
// Blocks while the system looks the name up; see SocketLookup.
std::uint32_t socketResolve(const char* hostName);
// The address of a dotted IPv4 text, 0 when it is not one. Never blocks.
std::uint32_t socketNumericAddress(const char* hostName);

// One host-name lookup on a thread of its own, so that its caller never
// blocks. readySocket() becomes readable when the lookup has ended. The
// object may go before the thread: what they share lives until both are done.
class SocketLookup {
public:
    SocketLookup() = default;
    ~SocketLookup() = default;
    SocketLookup(const SocketLookup&) = delete;
    SocketLookup& operator=(const SocketLookup&) = delete;

    // False when no thread or pipe could be had.
    bool start(const char* hostName);
    bool running() const { return shared_ != nullptr; }
    int readySocket() const;
    bool done() const;
    // The address found (0: none); valid once done.
    std::uint32_t address() const;
    void forget() { shared_.reset(); }

    struct Shared;

private:
    std::shared_ptr<Shared> shared_;
};

// "a.b.c.d" of an address in network byte order.
std::string socketDottedAddress(std::uint32_t address);

} // namespace tessel::sockets
