#include "tests/support/MmsRelayPeer.h"

#include "tests/support/TestProcess.h"

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace {

constexpr int kStopTimeoutMs = 5000;
// The relay ends by itself after this long, should a test never stop it.
constexpr const char* kLifetimeSeconds = "600";

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

bool MmsRelayPeer::start(const std::vector<std::string>& arguments)
{
    char folder[] = "/tmp/tessel-mmsrelay-XXXXXX";
    if (!mkdtemp(folder))
        return false;
    dir_ = folder;
    output_ = dir_ + "/relay.out";
    std::vector<std::string> all {"--save", dir_, "--lifetime", kLifetimeSeconds};
    all.insert(all.end(), arguments.begin(), arguments.end());
    pid_ = testStartPythonPeer("mms_relay.py", all, output_, &port_);
    if (pid_ > 0)
        return true;
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
    return testLoopbackUrl(port_, path);
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
