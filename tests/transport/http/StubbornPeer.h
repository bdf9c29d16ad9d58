#pragma once

#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

// tests/peers/http_stubborn_peer.py as a child process on 127.0.0.1: replies
// that never end or contradict their own framing. Stopped with the object;
// the script also ends itself after two minutes.
class StubbornPeer {
public:
    StubbornPeer()
    {
        char pattern[] = "/tmp/tessel-stubborn-XXXXXX";
        const int fd = mkstemp(pattern);
        if (fd >= 0) {
            close(fd);
            output_ = pattern;
            pid_ = testStartPythonPeer("http_stubborn_peer.py", {}, output_, &port_);
        }
    }
    ~StubbornPeer()
    {
        if (pid_ > 0)
            testStopProcess(pid_, 5000);
        if (!output_.empty())
            std::remove(output_.c_str());
    }
    StubbornPeer(const StubbornPeer&) = delete;
    StubbornPeer& operator=(const StubbornPeer&) = delete;

    bool started() const { return pid_ > 0; }
    std::string url(const std::string& path) const { return testLoopbackUrl(port_, path); }

private:
    std::string output_;
    std::uint16_t port_ = 0;
    pid_t pid_ = -1;
};
