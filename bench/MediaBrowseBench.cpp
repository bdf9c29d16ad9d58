// Paging through a local album of 2,000 pictures in the media browser: the
// album summary job (UI job 13) on a whole engine over a temporary device
// root, moved window by window from the first item to the last. Counters:
// the median milliseconds per window (a move and Update until the job
// browses again, prefetch included), the most elements the job held, and
// the bound it is compared with in the same run: the median milliseconds
// the Media Access Manager itself takes to fetch a window of the same size
// from the same album, asked directly, with nothing prefetched.
#include "engine/access/MediaAccessManager.h"
#include "engine/access/MediaAccessRequests.h"
#include "engine/client/VXLClient.h"
#include "engine/media/VXLMediaStoreManager.h"
#include "engine/screens/VXLAlbumSummaryJob.h"
#include "engine/screens/VXLLayoutMediaBrowser.h"
#include "tests/support/EngineDriver.h"
#include "tests/support/JobTreeDriver.h"
#include "tests/support/JpegFixture.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kPictures = 2000;

double nowMs()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double median(std::vector<double> samples)
{
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

struct Album {
    Album()
    {
        const std::string jpeg = testJpeg(32, 24, 3, 80, [](unsigned y, unsigned char* row) {
            for (unsigned x = 0; x < 32 * 3; ++x)
                row[x] = static_cast<unsigned char>(x ^ y);
        });
        for (int n = 0; n < kPictures; ++n) {
            char name[64];
            std::snprintf(name, sizeof name, "My Documents/My Pictures/p%05d.jpg", n);
            engine.root().writeFile(name, jpeg);
        }
        engine.startUp();
        engine.client()->startChild(&requester);
        engine.runUntilIdle();
        album.setName("My Pictures", true);
        album.setLocation(engine.client()->getMediaStoreManager().getStoreLocation(0));
    }
    ~Album()
    {
        requester.stop();
        engine.runUntilIdle();
    }

    std::int32_t ask(CVXLEvent& request)
    {
        const std::size_t before = requester.results.size();
        requester.post(&engine.client()->getMediaAccessManager(), &request);
        for (int i = 0; i < 100000 && requester.results.size() == before; ++i)
            engine.tick();
        return requester.results.size() > before ? requester.results.back() : -1;
    }
    void runUntilBrowsing(CVXLAlbumSummaryJob& job)
    {
        for (int i = 0; i < 100000; ++i) {
            const std::int32_t result = engine.tick();
            engine.popUIRequest();
            held = std::max(held, job.layout().cacheCount());
            if (job.isBrowsing() && result == CVXLClient::kTickIdle && engine.client()->getWaitTime() != 0)
                return;
        }
    }

    EngineDriver engine;
    TraceJob requester {"Requester"};
    CVXLAlbum album;
    std::uint32_t held = 0;
};

void BM_PageThroughTwoThousandPictures(benchmark::State& state)
{
    Album rig;
    CMediaAccessManager& mam = rig.engine.client()->getMediaAccessManager();
    for (auto _ : state) {
        // The bound: the manager's own fetch of each window, asked directly.
        CMediaLocationRequest open(61);
        open.setStoreIndex(static_cast<std::int32_t>(rig.album.location() >> 16));
        rig.ask(open);
        std::vector<double> direct;
        for (std::int32_t first = 0; first < kPictures; first += 16) {
            CMediaAccessQuery query(61);
            query.bind(0, 16);
            query.setPayload(first);
            const double begin = nowMs();
            rig.ask(query);
            direct.push_back(nowMs() - begin);
            for (std::size_t i = 0; i < query.getResultList().size(); ++i)
                mam.releaseElement(first + static_cast<std::int32_t>(i));
        }
        CMediaAccessBasicRequest close(kMediaClose, 61);
        rig.ask(close);

        CVXLAlbumSummaryJob job;
        job.setProperty(
            CVXLMediaBrowseJob::kPropertyAlbum, CVXLVariant(static_cast<const void*>(&rig.album)));
        job.startUnder(rig.engine.client());
        rig.runUntilBrowsing(job);
        std::vector<double> windows;
        const std::uint32_t w = job.layout().windowSize();
        for (std::uint32_t first = 0; first < job.total(); first += w) {
            const double begin = nowMs();
            job.layout().setFirst(first);
            job.layout().submitAction(layoutEventId(kLayoutMediaBrowser, kLayoutActionUpdate));
            rig.runUntilBrowsing(job);
            windows.push_back(nowMs() - begin);
        }
        job.stop();
        rig.engine.runUntilIdle();

        state.counters["windows"] = static_cast<double>(windows.size());
        state.counters["ms_per_window"] = median(windows);
        state.counters["bound_ms_per_window"] = median(direct);
        state.counters["ratio_to_bound"] = median(direct) > 0 ? median(windows) / median(direct) : 0;
        state.counters["elements_held_max"] = static_cast<double>(rig.held);
        state.counters["cache_limit"] = static_cast<double>(job.layout().cacheMax());
    }
}
BENCHMARK(BM_PageThroughTwoThousandPictures)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
