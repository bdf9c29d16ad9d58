#include "tests/support/SquidProxy.h"

#include "tests/support/ExternalTool.h"
#include "tests/support/TestProcess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// MD5-crypt of the password "qtz" (salt "tessel"), as basic_ncsa_auth reads it.
constexpr const char* kPasswordHash = "$1$tessel$2MU.1prIl0rbEe7FlRLBX0";
constexpr int kStartTimeoutMs = 20000;
constexpr int kStopTimeoutMs = 10000;

bool writeFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out);
}

} // namespace

SquidProxy::~SquidProxy()
{
    stop();
}

bool SquidProxy::available()
{
    return testCheckTool(testToolSquid()).verdict == ToolVerdict::Ready;
}

std::string SquidProxy::proxyUri(const char* user, const char* password) const
{
    return std::string("http://") + user + ":" + password + "@127.0.0.1:" + std::to_string(port_) + "/";
}

bool SquidProxy::start(const std::string& user)
{
    const ToolCheck& check = testCheckTool(testToolSquid());
    if (check.verdict != ToolVerdict::Ready) {
        error_ = check.message;
        return false;
    }
    char pattern[] = "/tmp/tessel-squid-XXXXXX";
    if (!mkdtemp(pattern)) {
        error_ = "no temporary folder";
        return false;
    }
    dir_ = pattern;
    // squid started as root drops to its own user, which must read and
    // write here.
    chmod(dir_.c_str(), 0777);
    port_ = testFreePort();
    const std::string name = "tessel" + std::to_string(getpid()) + "p" + std::to_string(port_);

    std::ostringstream conf;
    conf << "http_port 127.0.0.1:" << port_ << "\n"
         << "pid_filename " << dir_ << "/squid.pid\n"
         << "cache_log " << dir_ << "/cache.log\n"
         << "access_log stdio:" << dir_ << "/access.log\n"
         << "cache_store_log none\n"
         << "coredump_dir " << dir_ << "\n"
         << "netdb_filename none\n"
         << "pinger_enable off\n"
         << "cache deny all\n"
         << "cache_mem 1 MB\n"
         << "visible_hostname tessel-test-proxy\n"
         << "shutdown_lifetime 0 seconds\n"
         << "dns_nameservers 127.0.0.1\n"
         << "auth_param basic program " << testToolSquid().companion << " " << dir_ << "/passwd\n"
         << "auth_param basic children 2\n"
         << "auth_param basic realm tessel\n"
         << "acl authenticated proxy_auth REQUIRED\n"
         << "http_access allow authenticated\n"
         << "http_access deny all\n";
    if (!writeFile(dir_ + "/squid.conf", conf.str())
        || !writeFile(dir_ + "/passwd", user + ":" + kPasswordHash + "\n")) {
        error_ = "cannot write the configuration";
        return false;
    }
    chmod((dir_ + "/passwd").c_str(), 0644);
    chmod((dir_ + "/squid.conf").c_str(), 0644);

    pid_ = testSpawn({check.path, "-N", "-n", name, "-f", dir_ + "/squid.conf"}, dir_ + "/squid.out");
    if (pid_ < 0) {
        error_ = "cannot start squid";
        return false;
    }
    if (!waitForPort(kStartTimeoutMs)) {
        std::ifstream log(dir_ + "/cache.log");
        std::stringstream text;
        text << log.rdbuf();
        error_ = "squid did not come up: " + text.str();
        stop();
        return false;
    }
    return true;
}

bool SquidProxy::waitForPort(int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        if (testPortAccepts(port_))
            return true;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

void SquidProxy::stop()
{
    if (pid_ > 0) {
        testStopProcess(pid_, kStopTimeoutMs);
        pid_ = -1;
    }
    if (!dir_.empty()) {
        std::string command = "rm -rf '" + dir_ + "'";
        if (std::getenv("TESSEL_KEEP_SQUID_DIR") == nullptr)
            (void)std::system(command.c_str());
        dir_.clear();
    }
}

std::string SquidProxy::accessLog() const
{
    std::ifstream log(dir_ + "/access.log");
    std::stringstream text;
    text << log.rdbuf();
    return text.str();
}

std::vector<std::string> SquidProxy::accessLogLines(const std::string& text, std::size_t atLeast) const
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (;;) {
        std::ifstream log(dir_ + "/access.log");
        std::vector<std::string> lines;
        for (std::string line; std::getline(log, line);)
            if (line.find(text) != std::string::npos)
                lines.push_back(line);
        if (lines.size() >= atLeast || std::chrono::steady_clock::now() >= deadline)
            return lines;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}
