// Start-up of the real programs as a person meets them, read from the
// terminal's text (tmux capture-pane) of a device root with make run's demo
// configuration (tools/demo_root.py; the launch cases with tests/e2e's
// DemoRoad peers):
// - from starting `launcher Compose` to the composer of the compose request
//   ("Send To Contacts", the recipients' step: the request names none, so
//   the contact chooser goes on to it at once), with tessel not running on a
//   fresh root and on a root used before, and with tessel running at its
//   start screen;
// - from the exec of `tessel --tty` to the start screen;
// each beside its floor: a trivial program writing the same text to the
// same pane, awaited in the same way. 20 runs each: median and spread.
// A tessel the launcher starts has no terminal (it starts detached, its
// input and output on /dev/null): the root's "\windows\tessel.exe" is a
// shell script that execs the real tessel on the pane's terminal.
// BM_PeakMemory gives tessel's VmHWM at the contact chooser, after the
// first start's registration and after a send.
#include "bench/RunFigures.h"
#include "tests/e2e/DemoRoad.h"
#include "tests/support/ProcessMemory.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"
#include "tests/support/TmuxSession.h"

#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::system_clock;

constexpr int kRuns = 20;
constexpr const char* kTessel = TESSEL_BINARY_DIR "/bin/tessel";
constexpr const char* kComposer = "Send To Contacts";
constexpr const char* kHome = "== Start ==";

bool writeDemoRoot(const TempDeviceRoot& root)
{
    return testRunCommand(testPython() + " " TESSEL_SOURCE_DIR "/tools/demo_root.py '" + root.path() + "' "
               + DemoRoad::kNai + " 1 2 3 '' " TESSEL_BINARY_DIR "/bin " TESSEL_SOURCE_DIR
               + " >/dev/null 2>&1")
               .status
        == 0;
}

// The root's tessel process (not its launcher); 0 when none runs.
pid_t tesselOn(const TempDeviceRoot& root)
{
    for (const pid_t pid : testProgramsOnRoot(root.path())) {
        char exe[4096] = {};
        if (::readlink(("/proc/" + std::to_string(pid) + "/exe").c_str(), exe, sizeof exe - 1) > 0
            && std::string(exe) == kTessel)
            return pid;
    }
    return 0;
}

void stopPrograms(const TempDeviceRoot& root)
{
    for (const pid_t pid : testProgramsOnRoot(root.path()))
        testStopUnrelatedProcess(pid, 10000);
}

// A tmux pane on the root running the shell script `script` (written to
// pane.sh; TmuxSession hands it "--tty", which it ignores).
std::unique_ptr<TmuxSession> pane(const TempDeviceRoot& root, const std::string& script)
{
    root.writeFile("pane.sh", "#!/bin/bash\n" + script + "\n");
    ::chmod(root.hostPath("pane.sh").c_str(), 0755);
    return std::make_unique<TmuxSession>(root, root.hostPath("pane.sh"));
}

std::string paneTerminal(const TmuxSession& tmux)
{
    const std::string tty = tmux.run("display -p -t demo '#{pane_tty}'").output;
    return tty.substr(0, tty.find('\n'));
}

// ms from `began` until the pane holds the text; -1 past a minute.
double awaitPane(const TmuxSession& tmux, const std::string& text, Clock::time_point began)
{
    const auto until = began + 60s;
    while (Clock::now() < until) {
        if (tmux.screen().find(text) != std::string::npos)
            return std::chrono::duration<double, std::milli>(Clock::now() - began).count();
    }
    return -1;
}

// The pane's own start, as the script wrote it ($EPOCHREALTIME to "t0").
Clock::time_point scriptStart(const TempDeviceRoot& root)
{
    const double seconds = std::atof(root.readFile("t0").c_str());
    return Clock::time_point(
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds)));
}

// A pane that waits, and "\windows\tessel.exe" showing tessel on it.
std::unique_ptr<TmuxSession> paneForLaunches(const TempDeviceRoot& root)
{
    auto tmux = pane(root, "exec sleep 3600");
    const std::string tty = paneTerminal(*tmux);
    ::unlink(root.hostPath("windows/tessel.exe").c_str());
    root.writeFile("windows/tessel.exe",
        std::string("#!/bin/sh\nexec ") + kTessel + " \"$@\" <" + tty + " >" + tty + " 2>&1\n");
    ::chmod(root.hostPath("windows/tessel.exe").c_str(), 0755);
    return tmux;
}

// From starting `launcher Compose` to the composer in the pane.
double launchCompose(const TempDeviceRoot& root, const TmuxSession& tmux)
{
    const auto began = Clock::now();
    const pid_t launcher = testSpawn({"/usr/bin/env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY",
                                         TESSEL_BINARY_DIR "/bin/launcher", "Compose"},
        root.hostPath("launcher.out"));
    const double ms = awaitPane(tmux, kComposer, began);
    testStopProcess(launcher, 10000);
    return ms;
}

// Ends the program the launch started and waits for its text to leave the pane.
void endLaunched(const TempDeviceRoot& root, const TmuxSession& tmux)
{
    stopPrograms(root);
    const auto until = Clock::now() + 30s;
    while (tmux.screen().find(kComposer) != std::string::npos && Clock::now() < until)
        std::this_thread::sleep_for(10ms);
}

// Whether the road's peers run; the benchmark ends with why when not.
bool ready(benchmark::State& state, const DemoRoad& road)
{
    if (road.ready())
        return true;
    state.SkipWithError(road.error().c_str());
    return false;
}

// A launch that gave no composer ends the benchmark, with the pane's text.
bool failed(benchmark::State& state, double ms, const TmuxSession& tmux)
{
    if (ms >= 0)
        return false;
    static std::string why;
    why = "no composer within a minute; the pane:\n" + tmux.screen();
    state.SkipWithError(why.c_str());
    return true;
}

// Each run on a root of its own, with its own peers: the launched tessel
// registers with the service server first.
void BM_ComposeStartingTesselOnAFreshRoot(benchmark::State& state)
{
    std::vector<double> samples;
    int requests = 0;
    for (auto _ : state) {
        for (int run = 0; run < kRuns; ++run) {
            DemoRoad road;
            if (!ready(state, road))
                return;
            const auto tmux = paneForLaunches(road.root());
            const double ms = launchCompose(road.root(), *tmux);
            if (failed(state, ms, *tmux))
                return;
            samples.push_back(ms);
            endLaunched(road.root(), *tmux);
            requests += static_cast<int>(road.serviceLog().size());
        }
    }
    reportRuns(state, samples);
    state.counters["service_requests"] = requests;
}
BENCHMARK(BM_ComposeStartingTesselOnAFreshRoot)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_ComposeStartingTesselOnAUsedRoot(benchmark::State& state)
{
    DemoRoad road;
    if (!ready(state, road))
        return;
    const auto tmux = paneForLaunches(road.root());
    // The first start registers and makes the root's files; the runs find them.
    if (failed(state, launchCompose(road.root(), *tmux), *tmux))
        return;
    endLaunched(road.root(), *tmux);
    std::vector<double> samples;
    for (auto _ : state) {
        for (int run = 0; run < kRuns; ++run) {
            const double ms = launchCompose(road.root(), *tmux);
            if (failed(state, ms, *tmux))
                return;
            samples.push_back(ms);
            endLaunched(road.root(), *tmux);
        }
    }
    reportRuns(state, samples);
    state.counters["service_requests"] = static_cast<double>(road.serviceLog().size());
}
BENCHMARK(BM_ComposeStartingTesselOnAUsedRoot)->Iterations(1)->Unit(benchmark::kMillisecond);

// tessel --tty at its start screen in the pane each run (started anew, so
// every run meets the start screen), then `launcher Compose`.
void BM_ComposeToRunningTessel(benchmark::State& state)
{
    DemoRoad road;
    if (!ready(state, road))
        return;
    const TempDeviceRoot& root = road.root();
    std::vector<double> samples;
    for (auto _ : state) {
        for (int run = 0; run < kRuns; ++run) {
            const auto tmux = pane(root, std::string("exec ") + kTessel + " --tty");
            if (awaitPane(*tmux, kHome, Clock::now()) < 0) {
                state.SkipWithError("no start screen");
                return;
            }
            const double ms = launchCompose(root, *tmux);
            if (failed(state, ms, *tmux))
                return;
            samples.push_back(ms);
            stopPrograms(root);
        }
    }
    reportRuns(state, samples);
}
BENCHMARK(BM_ComposeToRunningTessel)->Iterations(1)->Unit(benchmark::kMillisecond);

// The floor of the three above: a shell started as the launcher is, writing
// the composer's text to the pane.
void BM_ComposeFloorTrivialProgramToPane(benchmark::State& state)
{
    TempDeviceRoot root;
    const auto tmux = pane(root, "exec sleep 3600");
    const std::string tty = paneTerminal(*tmux);
    std::vector<double> samples;
    for (auto _ : state) {
        for (int run = 0; run < kRuns; ++run) {
            const auto began = Clock::now();
            const pid_t shell
                = testSpawn({"/bin/sh", "-c", "printf '%s\\n' '" + std::string(kComposer) + "' >" + tty},
                    root.hostPath("floor.out"));
            const double ms = awaitPane(*tmux, kComposer, began);
            if (ms >= 0)
                samples.push_back(ms);
            testAwaitExit(shell, 10s);
            // A cleared screen for the next run.
            testRunCommand("printf '\\033[2J\\033[H' >" + tty);
            while (tmux->screen().find(kComposer) != std::string::npos)
                std::this_thread::sleep_for(10ms);
        }
    }
    reportRuns(state, samples);
}
BENCHMARK(BM_ComposeFloorTrivialProgramToPane)->Iterations(1)->Unit(benchmark::kMillisecond);

// From the exec of `program` in a new pane (its script's $EPOCHREALTIME just
// before) to `text` in the pane.
double execToText(const TempDeviceRoot& root, const std::string& program, const std::string& text)
{
    ::unlink(root.hostPath("t0").c_str());
    const auto tmux = pane(root, "printf %s \"$EPOCHREALTIME\" > \"$TESSEL_ROOT/t0\"\nexec " + program);
    const double ms = awaitPane(*tmux, text, Clock::now());
    if (ms < 0 || root.readFile("t0").empty())
        return -1;
    const double since = std::chrono::duration<double, std::milli>(Clock::now() - scriptStart(root)).count();
    stopPrograms(root);
    return since;
}

void BM_TtyExecToStartScreen(benchmark::State& state)
{
    TempDeviceRoot root;
    if (!writeDemoRoot(root)) {
        state.SkipWithError("demo_root.py failed");
        return;
    }
    std::vector<double> samples;
    for (auto _ : state) {
        for (int run = 0; run < kRuns; ++run) {
            const double ms = execToText(root, std::string(kTessel) + " --tty", kHome);
            if (ms >= 0)
                samples.push_back(ms);
        }
    }
    reportRuns(state, samples);
}
BENCHMARK(BM_TtyExecToStartScreen)->Iterations(1)->Unit(benchmark::kMillisecond);

// Its floor: the exec of a shell that prints the start screen's title.
void BM_TtyFloorTrivialProgramToPane(benchmark::State& state)
{
    TempDeviceRoot root;
    std::vector<double> samples;
    for (auto _ : state) {
        for (int run = 0; run < kRuns; ++run) {
            const double ms = execToText(
                root, "/bin/sh -c 'echo \"" + std::string(kHome) + "\"; exec sleep 3600'", kHome);
            if (ms >= 0)
                samples.push_back(ms);
        }
    }
    reportRuns(state, samples);
}
BENCHMARK(BM_TtyFloorTrivialProgramToPane)->Iterations(1)->Unit(benchmark::kMillisecond);

double hwm(const DemoRoad& road)
{
    return static_cast<double>(testStatusKilobytesOf(std::to_string(tesselOn(road.root())), "VmHWM"));
}

// A step of a road: keys (none for the first screen), then the texts the
// pane holds once they took effect.
struct Step {
    const char* keys;
    std::vector<std::string> texts;
};

// Walks the steps in the running tessel; false, ending the benchmark with
// the text not reached, when one is not.
bool walk(benchmark::State& state, DemoRoad& road, const std::vector<Step>& steps)
{
    for (const Step& step : steps) {
        if (*step.keys)
            road.keys(step.keys);
        if (!road.step(step.texts)) {
            static std::string why;
            why = "the road stopped before \"" + step.texts.front() + "\"";
            state.SkipWithError(why.c_str());
            return false;
        }
    }
    return true;
}

// tessel's resident high-water mark (VmHWM, kB) on DemoRoad's root: at its
// start screen (for comparison), at the contact chooser (Compose, then the
// composer's Contacts), on a root without its configuration after the
// first start registered (Configure, Tap to Add, the destination menu), and
// after the send road on that root (a picture message to a contact, sent).
void BM_PeakMemory(benchmark::State& state)
{
    for (auto _ : state) {
        DemoRoad road;
        if (!ready(state, road))
            return;
        road.start();
        if (!walk(state, road, {{"", {kHome}}}))
            return;
        state.counters["start_screen_hwm_kB"] = hwm(road);
        if (!walk(state, road, {{"Enter", {kComposer}}, {"F1", {"== Contacts ==", "Smith, Anna"}}}))
            return;
        state.counters["chooser_hwm_kB"] = hwm(road);
        road.close();

        ::unlink(road.root().hostPath("Application Data/Tessel/vxlcfg.xml").c_str());
        road.start();
        if (!walk(state, road,
                {{"", {kHome}}, {"Down Down Enter", {"== Configure Tessel ==", "Tap to Add"}},
                    {"Enter", {"[ ] Send to contacts", "[Continue]"}}}))
            return;
        if (road.serviceLog().empty()) {
            state.SkipWithError("no registration");
            return;
        }
        state.counters["registered_hwm_kB"] = hwm(road);
        road.close();

        // The send road on the registered root, in a new start.
        road.start();
        if (!walk(state, road,
                {
                    {"", {kHome}},
                    {"Enter", {kComposer, "softkeys: [Contacts]"}},
                    {"F1", {"== Contacts ==", "> * Smith, Anna"}},
                    {"Enter", {"== Smith, Anna =="}},
                    {"Down", {"> * Mobile: +1 (425) 555-0101"}},
                    {"Enter", {"To:\n      Smith, Anna"}},
                    {"Down", {"softkeys: [Add]"}},
                    {"F1", {"== Open ==", "sunset.png"}},
                    {"Down Down", {"> * sunset.png"}},
                    {"Enter", {"softkeys: [Menu]"}},
                    {"Down Down", {"Subject\n", "softkeys: [Send]"}},
                    {"-l 'Road trip'", {"[Road trip|]"}},
                    {"F1", {"Your message is being", "sent."}},
                }))
            return;
        if (!road.until(
                [&] { return !DemoRoad::linesWith(road.serviceLog(), {" request=mm-msg-xfer "}).empty(); },
                "the message sent")) {
            state.SkipWithError("the message was not sent");
            return;
        }
        state.counters["sent_hwm_kB"] = hwm(road);
        road.close();
    }
}
BENCHMARK(BM_PeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
