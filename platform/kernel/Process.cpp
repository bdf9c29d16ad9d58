#include "platform/kernel/Process.h"

#include "platform/kernel/Clock.h"
#include "platform/kernel/DeviceRoot.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

extern char** environ;

namespace tessel::kernel {

int startProcess(const std::string& programPhonePath, const std::vector<std::string>& args)
{
    std::string program;
    struct stat st;
    if (!mapPhonePath(programPhonePath, &program) || ::stat(program.c_str(), &st) != 0 || !S_ISREG(st.st_mode)
        || ::access(program.c_str(), X_OK) != 0)
        return -1;

    std::vector<std::string> arguments;
    arguments.push_back(programPhonePath);
    arguments.insert(arguments.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : arguments)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    // The child's device root is ours, even when ours was set in-process.
    std::vector<std::string> environment;
    for (char** entry = environ; entry && *entry; ++entry) {
        if (std::strncmp(*entry, "TESSEL_ROOT=", 12) != 0)
            environment.emplace_back(*entry);
    }
    environment.push_back("TESSEL_ROOT=" + deviceRoot());
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    pid_t pid = -1;
    if (::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0)
        return -1;
    return static_cast<int>(pid);
}

ProcessWait waitProcess(int pid, std::uint32_t timeoutMs, int* exitCode)
{
    if (pid <= 0)
        return ProcessWait::Failed;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int status = 0;
        pid_t done = ::waitpid(pid, &status, timeoutMs == kWaitForever ? 0 : WNOHANG);
        if (done == pid) {
            if (exitCode)
                *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return ProcessWait::Exited;
        }
        if (done < 0 && errno != EINTR)
            return ProcessWait::Failed;
        if (done == 0 && std::chrono::steady_clock::now() >= deadline)
            return ProcessWait::TimedOut;
        if (done == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

} // namespace tessel::kernel
