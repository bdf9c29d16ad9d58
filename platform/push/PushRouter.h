#pragma once

#include <cstdint>
#include <string>

// Our stand-in for the phone's WAP push router: a UDP socket on 127.0.0.1
// that takes connectionless WSP push datagrams. The port comes from
// device.conf ("push.port"; 0 or absent: no push router).
namespace tessel::push {

class PushRouter {
public:
    static constexpr const char* kPortKey = "push.port";
    // The largest datagram kept whole; a longer one is refused.
    static constexpr std::size_t kMaxDatagram = 65507;
    // The socket's receive buffer asked for, in bytes.
    static constexpr int kReceiveBuffer = 1 << 20;

    PushRouter() = default;
    ~PushRouter();
    PushRouter(const PushRouter&) = delete;
    PushRouter& operator=(const PushRouter&) = delete;

    // The port of device.conf, 0 when none or unreadable.
    static std::uint16_t configuredPort();
    // Binds 127.0.0.1:port (0 picks a free port); false with the reason in
    // error().
    bool open(std::uint16_t port);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    std::uint16_t port() const { return port_; }
    int fd() const { return fd_; }
    const std::string& error() const { return error_; }

    // The next datagram waiting, without blocking; false when none.
    bool receive(std::string* datagram);

private:
    int fd_ = -1;
    std::uint16_t port_ = 0;
    std::string error_;
};

} // namespace tessel::push
