#pragma once

#include <cstdint>
#include <string>
#include <sys/types.h>

// tests/peers/http_peer.py as a child process on 127.0.0.1, started and
// stopped within bounded time.
class HttpTestPeer {
public:
    HttpTestPeer() = default;
    ~HttpTestPeer();
    HttpTestPeer(const HttpTestPeer&) = delete;
    HttpTestPeer& operator=(const HttpTestPeer&) = delete;

    bool start();
    void stop();
    std::uint16_t port() const { return port_; }
    // "http://127.0.0.1:port" followed by path.
    std::string url(const std::string& path) const;

private:
    std::string output_;
    std::uint16_t port_ = 0;
    pid_t pid_ = -1;
};
