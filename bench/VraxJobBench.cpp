// 100 album-contents exchanges of 50 items each between the service protocol
// job and tests/peers/vrax_server.py on loopback (one fresh server per
// iteration, registered beforehand). "exchanges_per_s" is the rate over the
// whole run; "parse_share" is the part of each exchange that reading the
// reply document takes, measured by reading the same document in-process.
#include "engine/service/VRAXContentsReply.h"
#include "tests/service/VraxJobRig.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

namespace {

constexpr int kExchanges = 100;
constexpr int kItems = 50;

// The document of the server's 50-item reply, without its framing.
CVXLByteBuffer contentsDocument()
{
    const TestCommandResult reply
        = testRunCommand(testPython() + " " TESSEL_SOURCE_DIR "/tests/peers/vrax_server.py --reply items50");
    const std::string& text = reply.output;
    const std::size_t start = text.find("<?xml");
    const std::size_t end = text.find("</VRAX>");
    CVXLByteBuffer document;
    if (start != std::string::npos && end != std::string::npos)
        document.append(text.data() + start, static_cast<std::uint32_t>(end + 7 - start));
    return document;
}

double secondsToParse(const CVXLByteBuffer& document)
{
    FakeVraxEnvironment environment;
    CVRAXPageRequest page;
    const auto begin = std::chrono::steady_clock::now();
    for (int i = 0; i < kExchanges; ++i) {
        page.setWindow(0, kItems);
        CVRAXContentsReply reader(environment);
        reader.setAlbumContents(&page);
        benchmark::DoNotOptimize(reader.parse(document));
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
}

void BM_AlbumContentsExchanges(benchmark::State& state)
{
    const CVXLByteBuffer document = contentsDocument();
    std::string script;
    for (int i = 0; i < kExchanges; ++i)
        script += i ? ",items50" : "items50";
    double exchangeSeconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        VraxJobRig rig;
        rig.registered();
        if (!rig.serve(script)) {
            state.SkipWithError("the test server did not start");
            return;
        }
        state.ResumeTiming();
        const auto begin = std::chrono::steady_clock::now();
        for (int i = 0; i < kExchanges; ++i) {
            CVRAXJobRequest request(kEventVraxAlbumContents, 42);
            rig.page.setWindow(0, kItems);
            request.page = &rig.page;
            if (rig.run(request) != kResultSucceeded || rig.page.received != kItems) {
                state.SkipWithError("an exchange failed");
                return;
            }
        }
        exchangeSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    }
    const double parseSeconds = secondsToParse(document) * static_cast<double>(state.iterations());
    state.counters["exchanges_per_s"]
        = static_cast<double>(kExchanges) * static_cast<double>(state.iterations()) / exchangeSeconds;
    state.counters["parse_share"] = parseSeconds / exchangeSeconds;
}
BENCHMARK(BM_AlbumContentsExchanges)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
