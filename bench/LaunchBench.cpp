// From starting `launcher Compose` to the tessel program handling its
// request (its "OnLaunchCommand" line in log/ui.log), with the program
// already running and with the launcher starting it through
// "\windows\tessel.exe". Real processes on a temporary device root; each
// case takes 20 launches and gives their median and spread in ms.
#include "bench/RunFigures.h"
#include "tests/shell/LaunchRig.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>
#include <vector>

namespace {

constexpr int kRuns = 20;

// Requests the program has handled so far, by the lines its log writes.
int handled(const LaunchRig& rig)
{
    return LaunchRig::occurrences(rig.root.readFile("log/ui.log"), "OnLaunchCommand");
}

// ms from the launcher's start until the program has handled one more
// request; -1 when it has not within a minute.
double launchOnce(LaunchRig& rig)
{
    const int before = handled(rig);
    const auto began = std::chrono::steady_clock::now();
    const pid_t launcher = rig.startLauncher({"Compose"});
    double ms = -1;
    const auto until = began + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < until) {
        if (handled(rig) > before) {
            ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - began).count();
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    testStopProcess(launcher, 5000);
    return ms;
}

void BM_LaunchToRunningProgram(benchmark::State& state)
{
    LaunchRig rig;
    rig.root.installTool("tessel", "\\windows\\tessel.exe");
    rig.startProgram();
    if (!rig.awaitProgram()) {
        state.SkipWithError("the program never showed its window");
        return;
    }
    std::vector<double> samples;
    for (auto _ : state) {
        for (int run = 0; run < kRuns; ++run) {
            const double ms = launchOnce(rig);
            if (ms >= 0)
                samples.push_back(ms);
            // Past the debounce of the program, which ignores a launch
            // within 200 ms of the last.
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        }
    }
    reportRuns(state, samples);
}
BENCHMARK(BM_LaunchToRunningProgram)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_LaunchStartingTheProgram(benchmark::State& state)
{
    std::vector<double> samples;
    for (auto _ : state) {
        for (int run = 0; run < kRuns; ++run) {
            LaunchRig rig; // its end stops the program the launcher started
            rig.root.installTool("tessel", "\\windows\\tessel.exe");
            const double ms = launchOnce(rig);
            if (ms >= 0)
                samples.push_back(ms);
        }
    }
    reportRuns(state, samples);
}
BENCHMARK(BM_LaunchStartingTheProgram)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
