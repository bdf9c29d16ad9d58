// A 5 MB reply through squid on loopback: the engine's HTTP job (dialer,
// connection, job, 51,200-byte body parts as the HTTP processor asks for
// them) against curl through the same proxy, in the same run. Each fetch runs
// in a fresh process, so the counter "peak_rss_kb" compares whole processes;
// the time is the fetch's wall time. Each fetch prints its connect and first
// byte times (seconds from its start), averaged as "connect_ms" and
// "first_byte_ms".
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

struct ChildRun {
    double seconds = 0;
    long peakKb = 0;
    double connect = 0; // seconds, as the child printed them
    double firstByte = 0;
};

// Runs argv to its end, its standard output read for the two times.
bool runChild(const std::vector<std::string>& argv, ChildRun* run)
{
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    int out[2];
    if (::pipe(out) != 0)
        return false;
    const auto begin = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], 1);
        ::close(out[0]);
        ::close(out[1]);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(out[1]);
    std::string printed;
    char chunk[256];
    for (ssize_t n; (n = ::read(out[0], chunk, sizeof chunk)) > 0;)
        printed.append(chunk, static_cast<std::size_t>(n));
    ::close(out[0]);
    int status = 0;
    rusage usage {};
    if (pid < 0 || ::wait4(pid, &status, 0, &usage) != pid)
        return false;
    run->seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    run->peakKb = usage.ru_maxrss;
    if (std::sscanf(printed.c_str(), "%lf %lf", &run->connect, &run->firstByte) != 2)
        return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void report(benchmark::State& state, const std::vector<std::string>& argv)
{
    if (!peers().ok) {
        state.SkipWithError("squid or the test peer did not start");
        return;
    }
    ChildRun run;
    double connect = 0;
    double firstByte = 0;
    for (auto _ : state) {
        if (!runChild(argv, &run)) {
            state.SkipWithError("the fetch failed");
            return;
        }
        state.SetIterationTime(run.seconds);
        connect += run.connect;
        firstByte += run.firstByte;
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["peak_rss_kb"] = static_cast<double>(run.peakKb);
    state.counters["connect_ms"] = 1000 * connect / runs;
    state.counters["first_byte_ms"] = 1000 * firstByte / runs;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBodyBytes));
}

void BM_EngineThroughProxy(benchmark::State& state)
{
    report(state, {gSelf, "--fetch", peers().url(), peers().squid.proxyUri()});
}

void BM_CurlThroughProxy(benchmark::State& state)
{
    const std::string proxy = "http://127.0.0.1:" + std::to_string(peers().squid.port());
    report(state,
        {"/usr/bin/curl", "-sf", "-o", "/dev/null", "-w", "%{time_connect} %{time_starttransfer}\n", "-x",
            proxy, "--proxy-user", std::string(SquidProxy::kUser) + ":" + SquidProxy::kPassword,
            peers().url()});
}

BENCHMARK(BM_EngineThroughProxy)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_CurlThroughProxy)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// The child side of BM_EngineThroughProxy: one GET, the body counted and
// dropped part by part, the host waiting on the platform's sockets between
// steps.
int fetch(const char* url, const char* proxy)
{
    using Clock = std::chrono::steady_clock;
    const auto begin = Clock::now();
    HttpJobFixture f;
    f.readSize = kReadSize;
    f.keepBody = false;
    double connect = 0;
    double firstByte = 0;
    auto since = [&] { return std::chrono::duration<double>(Clock::now() - begin).count(); };
    CVXLHttpRequest& r = f.start(CVXLHttpRequest::kGet, url, proxy);
    f.pump([&] {
        if (connect == 0 && f.dialer.connectionCount() != 0)
            connect = since();
        if (firstByte == 0 && f.current.status != 0)
            firstByte = since();
        return !r.isBusy();
    });
    const Exchange e = f.current;
    std::printf("%.6f %.6f\n", connect, firstByte);
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
