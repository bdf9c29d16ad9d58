// A 5 MB reply through squid on loopback: the engine's HTTP job (dialer,
// connection, job, 51,200-byte body parts as the HTTP processor asks for
// them) against curl through the same proxy, in the same run. Each fetch runs
// in a fresh process, so the counter "peak_rss_kb" compares whole processes;
// the time is the fetch's wall time.
#include "tests/support/HttpTestPeer.h"
#include "tests/support/SquidProxy.h"
#include "tests/transport/HttpJobFixture.h"

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

constexpr std::size_t kBodyBytes = 5 * 1024 * 1024;
constexpr std::uint32_t kReadSize = 51200;

std::string gSelf;

struct Peers {
    HttpTestPeer peer;
    SquidProxy squid;
    bool ok = false;
    Peers() { ok = SquidProxy::available() && peer.start() && squid.start(); }
    std::string url() const { return peer.url("/bytes/" + std::to_string(kBodyBytes)); }
};

Peers& peers()
{
    static Peers shared;
    return shared;
}

// Runs argv to its end; the wall time in seconds and the peak RSS in KiB.
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
        state.SkipWithError("squid or the test peer did not start");
        return;
    }
    long peak = 0;
    for (auto _ : state) {
        double seconds = 0;
        if (!runChild(argv, &seconds, &peak)) {
            state.SkipWithError("the fetch failed");
            return;
        }
        state.SetIterationTime(seconds);
    }
    state.counters["peak_rss_kb"] = static_cast<double>(peak);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBodyBytes));
}

void BM_EngineThroughProxy(benchmark::State& state)
{
    report(state, { gSelf, "--fetch", peers().url(), peers().squid.proxyUri() });
}

void BM_CurlThroughProxy(benchmark::State& state)
{
    const std::string proxy = "http://127.0.0.1:" + std::to_string(peers().squid.port());
    report(state, { "/usr/bin/curl", "-sf", "-o", "/dev/null", "-x", proxy, "--proxy-user",
                    std::string(SquidProxy::kUser) + ":" + SquidProxy::kPassword, peers().url() });
}

BENCHMARK(BM_EngineThroughProxy)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_CurlThroughProxy)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// The child side of BM_EngineThroughProxy: one GET, the body counted and
// dropped part by part.
int fetch(const char* url, const char* proxy)
{
    HttpJobFixture f;
    f.readSize = kReadSize;
    f.keepBody = false;
    const Exchange e = f.run(CVXLHttpRequest::kGet, url, proxy);
    if (e.result != 0 || e.status != 200 || e.bodyBytes != kBodyBytes) {
        std::fprintf(stderr, "fetch: result %d, status %d, %llu bytes\n", e.result, e.status,
                     static_cast<unsigned long long>(e.bodyBytes));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--fetch") == 0)
        return fetch(argv[2], argv[3]);
    gSelf = argv[0];
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
