#include "platform/kernel/Process.h"

#include "platform/kernel/Clock.h"
#include "platform/kernel/DeviceRoot.h"

#include <fcntl.h>
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

namespace {

// What a start hands to the new program: its host path, argument vector
// and environment, made before any fork.
struct Launch {
    std::string program;
    std::vector<std::string> arguments;
    std::vector<std::string> environment;
    std::vector<char*> argv;
    std::vector<char*> envp;
};

bool prepare(const std::string& programPhonePath, const std::vector<std::string>& args, Launch* launch)
{
    struct stat st;
    if (!mapPhonePath(programPhonePath, &launch->program) || ::stat(launch->program.c_str(), &st) != 0
        || !S_ISREG(st.st_mode) || ::access(launch->program.c_str(), X_OK) != 0)
        return false;
    launch->arguments.push_back(programPhonePath);
    launch->arguments.insert(launch->arguments.end(), args.begin(), args.end());
    for (std::string& arg : launch->arguments)
        launch->argv.push_back(arg.data());
    launch->argv.push_back(nullptr);
    // The child's device root is ours, even when ours was set in-process.
    for (char** entry = environ; entry && *entry; ++entry) {
        if (std::strncmp(*entry, "TESSEL_ROOT=", 12) != 0)
            launch->environment.emplace_back(*entry);
    }
    launch->environment.push_back("TESSEL_ROOT=" + deviceRoot());
    for (std::string& entry : launch->environment)
        launch->envp.push_back(entry.data());
    launch->envp.push_back(nullptr);
    return true;
}

} // namespace

int startProcess(const std::string& programPhonePath, const std::vector<std::string>& args)
{
    Launch launch;
    if (!prepare(programPhonePath, args, &launch))
        return -1;
    pid_t pid = -1;
    if (::posix_spawn(&pid, launch.program.c_str(), nullptr, nullptr, launch.argv.data(), launch.envp.data())
        != 0)
        return -1;
    return static_cast<int>(pid);
}

int startDetachedProcess(const std::string& programPhonePath, const std::vector<std::string>& args)
{
    Launch launch;
    int report[2];
    if (!prepare(programPhonePath, args, &launch) || ::pipe2(report, O_CLOEXEC) != 0)
        return -1;
    // A child starts the program as its own child and ends at once: the
    // program is handed to init, and this process reaps the short-lived
    // child. Between fork and exec only async-signal-safe calls.
    const pid_t middle = ::fork();
    if (middle == 0) {
        const pid_t program = ::fork();
        if (program == 0) {
            ::setsid();
            const int null = ::open("/dev/null", O_RDWR);
            if (null >= 0) {
                ::dup2(null, STDIN_FILENO);
                ::dup2(null, STDOUT_FILENO);
                ::dup2(null, STDERR_FILENO);
            }
            ::close_range(3, ~0u, 0);
            ::execve(launch.program.c_str(), launch.argv.data(), launch.envp.data());
            ::_exit(127);
        }
        [[maybe_unused]] ssize_t n = ::write(report[1], &program, sizeof program);
        ::_exit(program > 0 ? 0 : 1);
    }
    ::close(report[1]);
    pid_t program = -1;
    if (middle > 0) {
        if (::read(report[0], &program, sizeof program) != static_cast<ssize_t>(sizeof program))
            program = -1;
        int status = 0;
        while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) { }
    }
    ::close(report[0]);
    return program > 0 ? static_cast<int>(program) : -1;
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
