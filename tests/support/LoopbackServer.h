#pragma once

#include <cstdint>
#include <string>

// A listening socket on 127.0.0.1 with a port of the system's choice; the
// test plays the server with it, over one accepted peer at a time.
class LoopbackServer {
public:
    LoopbackServer();
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // Host byte order.
    std::uint16_t port() const { return port_; }
    // Accepts the next connection as the peer (closing the one before).
    void accept();
    // Accepts the next connection and hands its socket to the caller.
    int acceptSocket();
    // Nothing listens on the port any more.
    void stopListening();

    // The whole of bytes to the peer, without SIGPIPE when it has gone.
    bool send(const std::string& bytes);
    // Waits for count bytes from the peer; fewer when it closes first.
    std::string receive(std::size_t count);
    // Whatever has arrived from the peer, without waiting.
    std::string receiveNow();
    void closePeer();

private:
    int fd_ = -1;
    int peer_ = -1;
    std::uint16_t port_ = 0;
};
