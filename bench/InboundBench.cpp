// A 1 MB message received through squid on loopback: the inbound manager
// (push decode, preview, whole message, MIME split, store, notification
// response) with the real message store, against curl fetching the same
// message through the same proxy. Each run is a fresh process, so
// "peak_rss_kb" compares whole processes; with the message streamed to its
// file and stored from there, the engine's peak stays below two copies of it.
#include "engine/core/jobs/VXLResultCodes.h"
#include "tests/messaging/inbound/InboundTestSupport.h"
#include "tests/support/JobTreeDriver.h"
#include "tests/support/MmsRelayPeer.h"
#include "tests/support/SquidProxy.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

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

bool runChild(const std::vector<std::string>& argv, double* seconds, long* peakKb)
{
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const auto begin = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage {};
    if (pid < 0 || ::wait4(pid, &status, 0, &usage) != pid)
        return false;
    *seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    *peakKb = usage.ru_maxrss;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void report(benchmark::State& state, const std::vector<std::string>& argv)
{
    if (!peers().ok) {
        state.SkipWithError("squid or the relay did not start");
        return;
    }
    double seconds = 0;
    long peakKb = 0;
    for (auto _ : state) {
        if (!runChild(argv, &seconds, &peakKb)) {
            state.SkipWithError("the receive failed");
            return;
        }
        state.SetIterationTime(seconds);
    }
    state.counters["peak_rss_kb"] = static_cast<double>(peakKb);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kMessageBytes));
}

void BM_InboundManagerThroughProxy(benchmark::State& state)
{
    report(state,
        {gSelf, "--receive", peers().notificationHex, peers().relay.url("/mms"), peers().squid.proxyUri()});
}

void BM_CurlThroughProxy(benchmark::State& state)
{
    const std::string proxy = "http://127.0.0.1:" + std::to_string(peers().squid.port());
    report(state,
        {"/usr/bin/curl", "-sf", "-o", "/dev/null", "-x", proxy, "--proxy-user",
            std::string(SquidProxy::kUser) + ":" + SquidProxy::kPassword, peers().location()});
}

BENCHMARK(BM_InboundManagerThroughProxy)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_CurlThroughProxy)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// The child side: one notification received, in a device root of its own.
int receive(const std::string& hex, const char* relayUrl, const char* proxy)
{
    TempDeviceRoot root;
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
    if (!stored)
        std::fprintf(stderr, "receive: %d answers, %u stored\n", static_cast<int>(requester.answers.size()),
            rig.store.boxCount(0));
    return stored ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::strcmp(argv[1], "--receive") == 0)
        return receive(argv[2], argv[3], argv[4]);
    gSelf = argv[0];
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
