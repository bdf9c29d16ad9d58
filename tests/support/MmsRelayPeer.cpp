#include "tests/support/MmsRelayPeer.h"

#include "tests/support/TestProcess.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <thread>
#include <unistd.h>

namespace {

constexpr int kStartTimeoutMs = 10000;
constexpr int kStopTimeoutMs = 5000;
// The relay ends by itself after this long, should a test never stop it.
constexpr const char* kLifetimeSeconds = "600";

// testSpawn takes a path: a bare program name is looked up here.
std::string pythonProgram()
{
    const char* named = std::getenv("TESSEL_TEST_PYTHON");
    const std::string name = named && *named ? named : "python3";
    if (name.find('/') != std::string::npos)
        return name;
    for (const char* dir : { "/usr/bin/", "/usr/local/bin/", "/bin/" }) {
        const std::string path = std::string(dir) + name;
        if (access(path.c_str(), X_OK) == 0)
            return path;
    }
    return "/usr/bin/python3";
}

std::string readWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void removeFolder(const std::string& dir)
{
    if (DIR* d = opendir(dir.c_str())) {
        while (const dirent* entry = readdir(d)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                std::remove((dir + "/" + name).c_str());
        }
        closedir(d);
    }
    rmdir(dir.c_str());
}

std::string numbered(int n, const char* suffix)
{
    char name[32];
    std::snprintf(name, sizeof name, "/%03d%s", n, suffix);
    return name;
}

} // namespace

MmsRelayPeer::~MmsRelayPeer()
{
    stop();
}

bool MmsRelayPeer::start()
{
    char folder[] = "/tmp/tessel-mmsrelay-XXXXXX";
    if (!mkdtemp(folder))
        return false;
    dir_ = folder;
    output_ = dir_ + "/relay.out";
    pid_ = testSpawn({ pythonProgram(), "-u", std::string(TESSEL_SOURCE_DIR) + "/tests/peers/mms_relay.py",
                         "--save", dir_, "--lifetime", kLifetimeSeconds },
        output_);
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

void MmsRelayPeer::stop()
{
    if (pid_ > 0) {
        testStopProcess(pid_, kStopTimeoutMs);
        pid_ = -1;
    }
    if (!dir_.empty()) {
        removeFolder(dir_);
        dir_.clear();
    }
}

std::string MmsRelayPeer::url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::string MmsRelayPeer::log() const
{
    return readWhole(dir_ + "/requests.log");
}

std::string MmsRelayPeer::savedHead(int n) const
{
    return readWhole(dir_ + numbered(n, ".head"));
}

std::string MmsRelayPeer::savedBody(int n) const
{
    return readWhole(savedBodyPath(n));
}

std::string MmsRelayPeer::savedBodyPath(int n) const
{
    return dir_ + numbered(n, ".body");
}
