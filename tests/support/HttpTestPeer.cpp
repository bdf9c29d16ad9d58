#include "tests/support/HttpTestPeer.h"

#include "tests/support/TestProcess.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

constexpr int kStopTimeoutMs = 5000;

} // namespace

HttpTestPeer::~HttpTestPeer()
{
    stop();
}

bool HttpTestPeer::start()
{
    char pattern[] = "/tmp/tessel-httppeer-XXXXXX";
    int fd = mkstemp(pattern);
    if (fd < 0)
        return false;
    close(fd);
    output_ = pattern;
    pid_ = testStartPythonPeer("http_peer.py", {}, output_, &port_);
    if (pid_ > 0)
        return true;
    stop();
    return false;
}

void HttpTestPeer::stop()
{
    if (pid_ > 0) {
        testStopProcess(pid_, kStopTimeoutMs);
        pid_ = -1;
    }
    if (!output_.empty()) {
        std::remove(output_.c_str());
        output_.clear();
    }
}

std::string HttpTestPeer::url(const std::string& path) const
{
    return testLoopbackUrl(port_, path);
}
