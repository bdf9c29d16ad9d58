#pragma once

#include <cstdint>

// The Connection Manager of the phone's cellular core: maps an address to
// the network that reaches it and brings a data connection to that network
// up. Here the phone is always in coverage unless device.conf ("connection")
// or a test says otherwise:
//   up      every request connects
//   nopath  no network reaches any address
//   refuse  the connection request fails
//   timeout the connection request waits out its time-out and fails
// Every connection request is recorded as a line of log/cellcore.log.
namespace tessel::cellcore {

inline constexpr std::uint32_t kConnectionConnected = 0x10;
inline constexpr std::uint32_t kConnectionFailed = 0x20;
inline constexpr std::uint32_t kConnectionTimedOut = 0x21;

enum class ConnectionBehaviour { FromDevice, Up, NoPath, Refuse, TimeOut };

// Overrides device.conf for this process (FromDevice goes back to it).
void setConnectionBehaviour(ConnectionBehaviour behaviour);

// The network that carries traffic to url; false when none does.
bool connectionMapUrl(const char* url, std::uint32_t* network);

// Asks for a connection to network and waits for it at most timeoutMs (the
// kernel clock: a driven clock makes the wait instant). Answers the
// connection's status, kConnectionConnected when it is up.
std::uint32_t connectionRequestSync(std::uint32_t network, std::uint32_t priority, std::uint32_t timeoutMs);

} // namespace tessel::cellcore
