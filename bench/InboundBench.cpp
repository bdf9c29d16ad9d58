// A 1 MB message received through squid on loopback: the inbound manager
// (push decode, preview, whole message, MIME split, store, notification
// response) with the real message store, against its bound: curl fetching
// the same message through the same proxy into a file, plus an fsync of
// those bytes, run in turn with it. The closing line gives the ratio of the
// two. Each run is a fresh process, so "peak_rss_kb" compares whole processes;
// with the message streamed to its file and stored from there, the engine's
// peak stays below two copies of it. "fsyncs" counts the receive's syncs
// (fsync and fdatasync), beside the one of the bound.
#include "bench/SyscallCounts.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "tests/messaging/inbound/InboundTestSupport.h"
#include "tests/support/JobTreeDriver.h"
#include "tests/support/MmsRelayPeer.h"
#include "tests/support/SquidProxy.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

// Where the receive's child leaves its count of syncs, in its device root.
constexpr const char* kSyncsFile = "bench-syncs";

constexpr std::size_t kMessageBytes = 1024 * 1024;

std::string gSelf;

struct Peers {
    MmsRelayPeer relay;
    SquidProxy squid;
    std::string notificationHex;
    bool ok = false;
    Peers()
    {
        ok = SquidProxy::available() && relay.start() && squid.start();
        if (!ok)
            return;
        const TestCommandResult run = testRunCommand(testPython()
            + " " TESSEL_SOURCE_DIR "/tests/peers/mms_relay.py --notification '" + location() + "' T-1");
        notificationHex = run.output.substr(0, run.output.find('\n'));
        ok = run.status == 0 && !notificationHex.empty();
    }
    std::string location() const { return relay.url("/msg/B?size=" + std::to_string(kMessageBytes)); }
};

Peers& peers()
{
    static Peers shared;
    return shared;
}

bool runChild(const std::vector<std::string>& argv, long* peakKb)
{
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage {};
    if (pid < 0 || ::wait4(pid, &status, 0, &usage) != pid)
        return false;
    *peakKb = usage.ru_maxrss;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The bytes curl wrote reach the disk, as a stored message's do.
bool syncFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return false;
    struct stat info { };
    const bool ok = ::fstat(fd, &info) == 0 && static_cast<std::size_t>(info.st_size) >= kMessageBytes
        && ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// Each run gets a fresh device root, made and removed outside the time: the
// engine stores its message there, curl writes its file there. Seconds the
// run took, or a negative value when it failed.
double timedRun(
    const std::vector<std::string>& argv, const TempDeviceRoot& root, const char* written, long* peakKb)
{
    const auto begin = std::chrono::steady_clock::now();
    if (!runChild(argv, peakKb) || (written && !syncFile(root.hostPath(written))))
        return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
}

std::vector<std::string> receiveCommand(const TempDeviceRoot& root)
{
    return {gSelf, "--receive", root.hostPath(""), peers().notificationHex, peers().relay.url("/mms"),
        peers().squid.proxyUri()};
}

// The bound: the same fetch through the same proxy into a file, and the
// file's bytes synced.
std::vector<std::string> curlCommand(const TempDeviceRoot& root)
{
    const std::string proxy = "http://127.0.0.1:" + std::to_string(peers().squid.port());
    return {"/usr/bin/curl", "-sf", "-o", root.hostPath("fetched.bin"), "-x", proxy, "--proxy-user",
        std::string(SquidProxy::kUser) + ":" + SquidProxy::kPassword, peers().location()};
}

// Totals of every pair run, for the closing line.
double gReceiveSeconds = 0;
double gBoundSeconds = 0;

// Each iteration runs the engine's receive and then its bound, one after the
// other, so that both meet the same load; the time is the engine's, the
// bound and the ratio are counters.
void BM_ReceiveBesideCurlAndSyncedWrite(benchmark::State& state)
{
    if (!peers().ok) {
        state.SkipWithError("squid or the relay did not start");
        return;
    }
    double receive = 0;
    double bound = 0;
    long syncs = 0;
    long receiveKb = 0;
    long curlKb = 0;
    for (auto _ : state) {
        state.PauseTiming();
        double seconds[2] = {};
        {
            TempDeviceRoot engineRoot;
            TempDeviceRoot curlRoot;
            seconds[0] = timedRun(receiveCommand(engineRoot), engineRoot, nullptr, &receiveKb);
            seconds[1] = timedRun(curlCommand(curlRoot), curlRoot, "fetched.bin", &curlKb);
            long count = 0;
            std::ifstream(engineRoot.hostPath(kSyncsFile)) >> count;
            syncs += count;
        }
        state.ResumeTiming();
        if (seconds[0] < 0 || seconds[1] < 0) {
            state.SkipWithError(seconds[0] < 0 ? "the receive failed" : "curl's fetch failed");
            return;
        }
        receive += seconds[0];
        bound += seconds[1];
        state.SetIterationTime(seconds[0]);
    }
    gReceiveSeconds += receive;
    gBoundSeconds += bound;
    const auto runs = static_cast<double>(state.iterations());
    state.counters["bound_ms"] = bound / runs * 1000;
    state.counters["receive_ratio"] = receive / bound;
    state.counters["fsyncs"] = static_cast<double>(syncs) / runs;
    state.counters["peak_rss_kb"] = static_cast<double>(receiveKb);
    state.counters["curl_peak_rss_kb"] = static_cast<double>(curlKb);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kMessageBytes));
}

BENCHMARK(BM_ReceiveBesideCurlAndSyncedWrite)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(9);

// The child side: one notification received, in the device root it is
// given (the parent removes it).
int receive(const char* rootPath, const std::string& hex, const char* relayUrl, const char* proxy)
{
    TempDeviceRoot root(rootPath);
    JobTreeDriver driver;
    InboundRig rig;
    rig.attach(driver, relayUrl, proxy, SquidProxy::kUser);
    InboundRequester& requester = rig.requester;

    CPushRequest push;
    push.setHeapAllocated(false);
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        const std::uint8_t byte = static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16));
        push.pdu.append(&byte, 1);
    }
    push.fetchNow = 1;
    requester.post(&rig.manager, &push);
    driver.followRealTime([&] { driver.step(); }, [&] { return !requester.answers.empty(); }, 60000,
        std::chrono::microseconds(200));
    const bool stored = !requester.answers.empty() && requester.answers[0] == kResultSucceeded
        && rig.store.boxCount(0) == 1;
    std::ofstream(root.hostPath(kSyncsFile)) << gCalls.syncs.load();
    if (!stored)
        std::fprintf(stderr, "receive: %d answers, %u stored\n", static_cast<int>(requester.answers.size()),
            rig.store.boxCount(0));
    return stored ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 6 && std::strcmp(argv[1], "--receive") == 0)
        return receive(argv[2], argv[3], argv[4], argv[5]);
    gSelf = argv[0];
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (gReceiveSeconds > 0 && gBoundSeconds > 0) {
        std::printf("\nreceive against curl through the proxy plus an fsync'd write of the same bytes, "
                    "in alternating runs: ratio %.2f\n",
            gReceiveSeconds / gBoundSeconds);
    }
    return 0;
}
