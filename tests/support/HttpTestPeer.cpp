#include "tests/support/HttpTestPeer.h"

#include "tests/support/TestProcess.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>
#include <unistd.h>

namespace {

constexpr int kStartTimeoutMs = 10000;
constexpr int kStopTimeoutMs = 5000;

std::string pythonProgram()
{
    const char* named = std::getenv("TESSEL_TEST_PYTHON");
    std::string name = named && *named ? named : "python3";
    if (name.find('/') != std::string::npos)
        return name;
    for (const char* dir : {"/usr/bin/", "/usr/local/bin/", "/bin/"}) {
        std::string path = std::string(dir) + name;
        if (access(path.c_str(), X_OK) == 0)
            return path;
    }
    return "/usr/bin/python3";
}

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
    pid_ = testSpawn({pythonProgram(), "-u", std::string(TESSEL_SOURCE_DIR) + "/tests/peers/http_peer.py"}, output_);
    if (pid_ < 0)
        return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartTimeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        std::ifstream in(output_);
        std::string word;
        unsigned port = 0;
        if (in >> word >> port && word == "PORT" && port > 0 && port < 65536) {
            port_ = static_cast<std::uint16_t>(port);
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
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
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}
