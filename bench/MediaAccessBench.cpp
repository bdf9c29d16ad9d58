// A 10-item window from a cached 1,000-entry collection: the Media Access
// Manager's fetch served wholly from its cache, with the windows' uses given
// back after each, as a screen scrolling through a large location does.
#include "engine/access/MediaAccessManager.h"
#include "engine/media/VXLLocalMediaRequest.h"
#include "engine/media/VXLMediaItem.h"
#include "tests/support/JobTreeDriver.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr std::int32_t kEntries = 1000;
constexpr std::uint32_t kWindow = 10;

// Builds the item asked for at once, as a local media manager would.
class InstantLocalMedia : public CVXLEventHandler {
public:
    void onEvent(CVXLEvent* event) override
    {
        if (auto* request = dynamic_cast<CVXLLocalMediaRequest*>(event);
            request && event->requestCode() == kEventMediaItemAt) {
            auto* item = new CVXLMediaItem();
            item->setId(("p" + std::to_string(request->index) + ".jpg").c_str());
            item->setName(item->id());
            request->item = item;
            request->setResult(kResultSucceeded);
            return finishEvent(event);
        }
        CVXLEventHandler::onEvent(event);
    }
};

struct Owner : CMediaAccessManager::Owner {
    CVXLEventHandler* local = nullptr;
    CVXLEventHandler* onlineMediaManager() override { return nullptr; }
    CVXLEventHandler* localMediaManager() override { return local; }
    CVXLEventHandler* inboundMessageManager() override { return nullptr; }
    CVXLMediaStoreManager* mediaStoreManager() override { return nullptr; }
    CVXLPersStore* settings() override { return nullptr; }
    void pushUIRequestCode(std::int32_t) override { }
};

void BM_WindowFromCachedCollection(benchmark::State& state)
{
    JobTreeDriver driver;
    InstantLocalMedia local;
    Owner owner;
    owner.local = &local;
    CMediaAccessManager manager;
    manager.setOwner(&owner);
    TraceJob screen("screen");
    driver.attach(&local);
    driver.attach(&manager);
    driver.attach(&screen);
    driver.runUntilIdle();

    CMediaLocationRequest open(1);
    open.setStoreIndex(1);
    screen.post(&manager, &open);
    driver.runUntilIdle();
    // Every entry stays in use, so none is evicted.
    CMediaAccessQuery fill(1);
    fill.bind(0, kEntries);
    screen.post(&manager, &fill);
    driver.runUntilIdle(1000000);
    if (manager.currentCollection()->cachedCount() != static_cast<std::uint32_t>(kEntries)) {
        state.SkipWithError("the collection was not filled");
        return;
    }

    CMediaAccessQuery query(1);
    std::int32_t start = 0;
    for (auto _ : state) {
        query.unbind();
        query.bind(0, kWindow);
        query.setPayload(start);
        screen.post(&manager, &query);
        driver.runUntilIdle();
        if (query.getResultList().size() != kWindow) {
            state.SkipWithError("a window was not served from the cache");
            break;
        }
        for (std::uint32_t n = 0; n < kWindow; ++n)
            manager.releaseElement(start + static_cast<std::int32_t>(n));
        start = (start + 37) % (kEntries - static_cast<std::int32_t>(kWindow));
    }
    state.SetItemsProcessed(state.iterations() * kWindow);
    manager.stop();
    driver.runUntilIdle();
}
BENCHMARK(BM_WindowFromCachedCollection);

} // namespace
