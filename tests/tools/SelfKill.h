#pragma once

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <thread>

// Kills this process with SIGKILL from a thread of its own, after `spin`
// turns of a busy loop counted from the moment `started` is set, so that
// the kill lands at a different point of the work each run however loaded
// the machine is.
inline void killAfterSpin(unsigned long spin, const std::atomic<bool>& started)
{
    std::thread killer([spin, &started] {
        while (!started.load())
            std::this_thread::yield();
        volatile unsigned long turns = 0;
        for (unsigned long i = 0; i < spin; ++i)
            turns = turns + 1;
        ::kill(::getpid(), SIGKILL);
    });
    killer.detach();
}
