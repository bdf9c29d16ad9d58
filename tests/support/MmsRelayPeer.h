#pragma once

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

// tests/peers/mms_relay.py as a child process on 127.0.0.1, saving what it
// receives in a temporary folder of its own; started and stopped within
// bounded time. The folder goes with stop().
class MmsRelayPeer {
public:
    MmsRelayPeer() = default;
    ~MmsRelayPeer();
    MmsRelayPeer(const MmsRelayPeer&) = delete;
    MmsRelayPeer& operator=(const MmsRelayPeer&) = delete;

    // Further arguments go to the relay (--body ID FILE).
    bool start(const std::vector<std::string>& arguments = {});
    void stop();
    std::uint16_t port() const { return port_; }
    // "http://127.0.0.1:port" followed by path.
    std::string url(const std::string& path) const;

    // The relay's requests.log: one line per request received.
    std::string log() const;
    // Request number n (from 1) as received: head and body.
    std::string savedHead(int n) const;
    std::string savedBody(int n) const;
    // The path of the saved body, for tools that read files.
    std::string savedBodyPath(int n) const;

private:
    std::string dir_;
    std::string output_;
    std::uint16_t port_ = 0;
    pid_t pid_ = -1;
};
