#include "tests/support/TestProcess.h"

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <netinet/in.h>
#include <spawn.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

sockaddr_in loopback(std::uint16_t port)
{
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// A peer announces its port as soon as it listens; the bound only ends a
// start that failed, so it leaves room for a machine loaded with other work.
constexpr int kPeerStartTimeoutMs = 30000;
constexpr int kPeerStopTimeoutMs = 5000;

// testSpawn takes a path: a bare program name is looked up here.
std::string pythonProgram()
{
    const std::string name = testPython();
    if (name.find('/') != std::string::npos)
        return name;
    for (const char* dir : {"/usr/bin/", "/usr/local/bin/", "/bin/"}) {
        const std::string path = std::string(dir) + name;
        if (access(path.c_str(), X_OK) == 0)
            return path;
    }
    return "/usr/bin/python3";
}

} // namespace

std::uint16_t testFreePort()
{
    int s = socket(AF_INET, SOCK_STREAM, 0);
    if (s < 0)
        return 0;
    sockaddr_in address = loopback(0);
    socklen_t size = sizeof address;
    std::uint16_t port = 0;
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0
        && getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) == 0)
        port = ntohs(address.sin_port);
    close(s);
    return port;
}

bool testPortAccepts(std::uint16_t port)
{
    int s = socket(AF_INET, SOCK_STREAM, 0);
    if (s < 0)
        return false;
    sockaddr_in address = loopback(port);
    bool ok = connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(s);
    return ok;
}

pid_t testSpawn(const std::vector<std::string>& argv, const std::string& outputPath)
{
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outputPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t pid = -1;
    if (posix_spawn(&pid, args[0], &actions, &attributes, args.data(), environ) != 0)
        pid = -1;
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

void testStopProcess(pid_t pid, int timeoutMs)
{
    if (pid <= 0)
        return;
    kill(-pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        // Look without reaping: while the child is a zombie its group id
        // cannot be taken by another process, so the group kill below only
        // reaches helpers it left behind.
        siginfo_t info {};
        if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0
            && info.si_pid == pid)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(-pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
}

int testAwaitExit(pid_t pid, std::chrono::milliseconds bound)
{
    const auto until = std::chrono::steady_clock::now() + bound;
    for (;;) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        if (std::chrono::steady_clock::now() > until)
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void testStopUnrelatedProcess(pid_t pid, int timeoutMs)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (kill(pid, 0) == 0 && std::chrono::steady_clock::now() < until) {
        int status = 0;
        waitpid(pid, &status, WNOHANG);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (kill(pid, 0) == 0)
        kill(pid, SIGKILL);
}

std::string testProcStatField(pid_t pid, int field)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(in, line);
    // The command's name is in parentheses and may hold blanks.
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos)
        return "";
    std::istringstream rest(line.substr(close + 2));
    std::string value;
    for (int i = 3; i <= field && rest >> value; ++i) { }
    return value;
}

int testZombieChildren()
{
    int zombies = 0;
    const std::string self = std::to_string(getpid());
    DIR* proc = opendir("/proc");
    while (dirent* entry = proc ? readdir(proc) : nullptr) {
        const pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
        if (pid > 0 && testProcStatField(pid, 4) == self && testProcStatField(pid, 3) == "Z")
            ++zombies;
    }
    if (proc)
        closedir(proc);
    return zombies;
}

pid_t testStartPythonPeer(const std::string& script, const std::vector<std::string>& arguments,
    const std::string& outputPath, std::uint16_t* port)
{
    std::vector<std::string> argv
        = {pythonProgram(), "-u", std::string(TESSEL_SOURCE_DIR) + "/tests/peers/" + script};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    const pid_t pid = testSpawn(argv, outputPath);
    if (pid < 0)
        return -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPeerStartTimeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        std::ifstream in(outputPath);
        std::string word;
        unsigned told = 0;
        if (in >> word >> told && word == "PORT" && told > 0 && told < 65536) {
            *port = static_cast<std::uint16_t>(told);
            return pid;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    testStopProcess(pid, kPeerStopTimeoutMs);
    return -1;
}

std::string testLoopbackUrl(std::uint16_t port, const std::string& path)
{
    return "http://127.0.0.1:" + std::to_string(port) + path;
}

std::string testPython()
{
    const char* named = std::getenv("TESSEL_TEST_PYTHON");
    return named && *named ? named : "python3";
}

TestCommandResult testRunCommand(const std::string& command)
{
    TestCommandResult result;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return result;
    char chunk[4096];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
        result.output.append(chunk, n);
    const int status = ::pclose(pipe);
    result.status = status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::vector<std::string> testLines(const std::string& output)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < output.size()) {
        std::size_t end = output.find('\n', start);
        if (end == std::string::npos)
            end = output.size();
        std::string line = output.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> testFileLines(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return testLines(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
}

std::string testSha256OfFile(const std::string& path)
{
    const TestCommandResult result = testRunCommand("sha256sum '" + path + "'");
    return result.status == 0 && result.output.size() >= 64 ? result.output.substr(0, 64) : std::string();
}

std::string testHex(const std::string& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::vector<pid_t> testProgramsOnRoot(const std::string& root)
{
    std::vector<pid_t> found;
    const std::string mark = "TESSEL_ROOT=" + root;
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return found;
    while (dirent* entry = ::readdir(proc)) {
        const pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
        if (pid <= 0)
            continue;
        const std::string at = std::string("/proc/") + entry->d_name;
        char exe[4096] = {};
        if (::readlink((at + "/exe").c_str(), exe, sizeof exe - 1) <= 0)
            continue;
        if (std::string(exe) != TESSEL_BINARY_DIR "/bin/tessel"
            && std::string(exe) != TESSEL_BINARY_DIR "/bin/launcher")
            continue;
        std::ifstream in(at + "/environ", std::ios::binary);
        for (std::string variable; std::getline(in, variable, '\0');) {
            if (variable == mark)
                found.push_back(pid);
        }
    }
    ::closedir(proc);
    return found;
}
