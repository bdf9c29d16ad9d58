#pragma once

#include "engine/core/jobs/VXLEngineClock.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "platform/kernel/DeviceRoot.h"

#include <cstdlib>
#include <filesystem>
#include <string>

// What the engine benchmarks share: a root job that steps its tree on a clock
// of the benchmark's own, and a device root of their own that is removed at
// exit.
inline CVXLEngineClock& benchClock()
{
    static CVXLEngineClock clock;
    return clock;
}

class BenchRoot : public CVXLEventHandler {
public:
    BenchRoot()
    {
        setRoot(this);
        setClock(&benchClock());
    }
};

inline void runUntilIdle(BenchRoot& root)
{
    CVXLEngineClock& clock = benchClock();
    for (int steps = 0; steps < 1000000; ++steps) {
        clock.setInTick(true);
        root.step();
        clock.setInTick(false);
        if (root.runState() != kHandlerRunnable && root.nextTimeout() != 0)
            return;
    }
}

inline std::string& benchFolder()
{
    static std::string folder;
    return folder;
}

// A fresh device root under /tmp.
inline void useBenchDeviceRoot()
{
    char folder[] = "/tmp/tessel-bench-XXXXXX";
    if (!::mkdtemp(folder))
        std::abort();
    benchFolder() = folder;
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(benchFolder(), ignored);
    });
    tessel::kernel::setDeviceRoot(folder);
}
