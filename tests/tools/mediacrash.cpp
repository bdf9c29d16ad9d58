// Saves the record of the first of the phone's pictures through the Local
// Media Manager over and over until a thread of its own kills the process
// with SIGKILL after SPIN turns of a busy loop, counted from the end of the
// first save. Each save writes one generation: every text and number of the
// record carries it. Exit status 2: bad usage; 1: an import or save failed.
//
//   mediacrash SPIN

#include "engine/core/jobs/VXLEngineClock.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/platform/VXLPlatformFileStore.h"
#include "engine/core/platform/VXLPlatformMediaSource.h"
#include "engine/files/VXLFileStoreManager.h"
#include "engine/media/LocalMediaManager.h"
#include "engine/media/VXLLocalMediaRequest.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/media/VXLMediaStoreManager.h"
#include "tests/tools/SelfKill.h"

#include <atomic>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

class Root : public CVXLEventHandler {
public:
    Root() { setRoot(this); }
};

// Keeps the result of each answer: finishing a reply clears it.
class Requester : public CVXLEventHandler {
public:
    void onEvent(CVXLEvent* event) override
    {
        lastResult = event->result();
        finishEvent(event);
    }
    std::int32_t lastResult = 0;
};

struct Engine : CLocalMediaManager::Owner, CVXLMediaStoreManager::Owner {
    CVXLPlatformMediaSource source;
    CVXLPlatformFileStore store;
    CVXLFileStoreManager files;
    CVXLMediaStoreManager stores;
    CVXLPlatformMediaSource* mediaSource() override { return &source; }
    CVXLMediaStoreManager* mediaStoreManager() override { return &stores; }
    CVXLEventHandler* fileStoreManager() override { return &files; }
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    const unsigned long spin = std::strtoul(argv[1], nullptr, 10);
    CVXLEngineClock clock;
    Root root;
    root.setClock(&clock);
    Engine engine;
    CLocalMediaManager manager;
    engine.files.setFileStore(&engine.store);
    engine.stores.setOwner(&engine);
    manager.setOwner(&engine);
    Requester requester;
    root.startChild(&engine.files);
    root.startChild(&engine.stores);
    root.startChild(&manager);
    root.startChild(&requester);
    auto waitFor = [&](CVXLEvent& request) {
        requester.post(&manager, &request);
        while (request.isBusy()) {
            clock.setInTick(true);
            root.step();
            clock.setInTick(false);
        }
        return requester.lastResult == 0;
    };
    CVXLLocalMediaRequest import(kEventMediaItemAt, 1);
    if (!waitFor(import) || !import.item)
        return 1;
    std::unique_ptr<CVXLMediaItem> item(import.item);

    std::atomic<bool> firstSaved {false};
    killAfterSpin(spin, firstSaved);
    for (std::int32_t generation = 1;; ++generation) {
        const std::string mark = "gen-" + std::to_string(generation);
        item->setTitle((mark + std::string(3000, '.')).c_str());
        item->setUid(mark.c_str());
        item->setTrackedText(mark.c_str());
        item->setInfoText(mark.c_str());
        item->setCaptureTime(generation);
        item->setUploadTime(generation);
        item->setLatitude(generation);
        item->setLongitude(generation);
        CVXLLocalMediaRequest save(kEventMediaItemSave, 2);
        save.item = item.get();
        if (!waitFor(save))
            return 1;
        firstSaved.store(true);
    }
}
