// From starting `launcher Compose` to the tessel program handling its
// request (its "OnLaunchCommand" line in log/ui.log), with the program
// already running and with the launcher starting it through
// "\windows\tessel.exe". Real processes on a temporary device root; each
// case takes 20 launches and gives the median and the slowest in ms.
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"

#include <benchmark/benchmark.h>

#include <dirent.h>
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kRuns = 20;

std::vector<std::string> headless(const std::string& program)
{
    return { "/usr/bin/env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", program };
}

int handled(const TempDeviceRoot& root)
{
    const std::string log = root.readFile("log/ui.log");
    int n = 0;
    for (std::size_t at = log.find("OnLaunchCommand"); at != std::string::npos; at = log.find("OnLaunchCommand", at + 1))
        ++n;
    return n;
}

// The live processes showing the program's window.
std::vector<pid_t> programs(const TempDeviceRoot& root)
{
    std::vector<pid_t> found;
    DIR* dir = ::opendir(root.hostPath("run/win").c_str());
    if (!dir)
        return found;
    while (dirent* entry = ::readdir(dir)) {
        const pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
        if (pid > 0 && ::kill(pid, 0) == 0
            && root.readFile(std::string("run/win/") + entry->d_name).find("Dialog\tTessel") != std::string::npos)
            found.push_back(pid);
    }
    ::closedir(dir);
    return found;
}

// ms from the launcher's start until the program has handled one more request.
double launchOnce(const TempDeviceRoot& root)
{
    const int before = handled(root);
    const auto began = std::chrono::steady_clock::now();
    std::vector<std::string> argv = headless(TESSEL_BINARY_DIR "/bin/launcher");
    argv.push_back("Compose");
    const pid_t launcher = testSpawn(argv, root.hostPath("launcher.out"));
    double ms = -1;
    const auto until = began + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < until) {
        if (handled(root) > before) {
            ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - began).count();
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    testStopProcess(launcher, 5000);
    return ms;
}

void report(benchmark::State& state, std::vector<double>& samples)
{
    if (samples.empty())
        return;
    std::sort(samples.begin(), samples.end());
    state.counters["median_ms"] = samples[samples.size() / 2];
    state.counters["max_ms"] = samples.back();
}

void BM_LaunchToRunningProgram(benchmark::State& state)
{
    TempDeviceRoot root;
    root.writeDeviceConf("card.present = 0\n");
    root.installTool("tessel", "\\windows\\tessel.exe");
    const pid_t program = testSpawn(headless(TESSEL_BINARY_DIR "/bin/tessel"), root.hostPath("tessel.out"));
    while (programs(root).empty())
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::vector<double> samples;
    for (auto _ : state) {
        for (int run = 0; run < kRuns; ++run) {
            const double ms = launchOnce(root);
            if (ms >= 0)
                samples.push_back(ms);
            // Past the debounce of the program, which ignores a launch
            // within 200 ms of the last.
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        }
    }
    report(state, samples);
    testStopUnrelatedProcess(program, 30000);
}
BENCHMARK(BM_LaunchToRunningProgram)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_LaunchStartingTheProgram(benchmark::State& state)
{
    std::vector<double> samples;
    for (auto _ : state) {
        for (int run = 0; run < kRuns; ++run) {
            TempDeviceRoot root;
            root.writeDeviceConf("card.present = 0\n");
            root.installTool("tessel", "\\windows\\tessel.exe");
            const double ms = launchOnce(root);
            if (ms >= 0)
                samples.push_back(ms);
            for (pid_t pid : programs(root))
                testStopUnrelatedProcess(pid, 30000);
        }
    }
    report(state, samples);
}
BENCHMARK(BM_LaunchStartingTheProgram)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
