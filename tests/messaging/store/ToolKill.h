#pragma once

#include <chrono>
#include <csignal>
#include <random>
#include <sys/types.h>
#include <sys/wait.h>
#include <thread>

// Kills the tool at a random moment: the point of the crash tests is that a
// real process dies in the middle of its file work, so the wait is real time.
inline void killAfter(pid_t pid, std::mt19937& random, int minMs, int spreadMs)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(minMs + static_cast<int>(random() % spreadMs)));
    ::kill(-pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

// Waits (at most ten seconds) until the tool has done its first piece of
// work, so that a loaded machine does not kill every run before it began.
template <class Ready> void waitUntil(Ready ready)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!ready() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
}
