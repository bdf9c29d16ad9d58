#include "engine/access/BackgroundUploadManager.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLCounterTable.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/settings/VXLConfigItem.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/core/settings/VXLPersStore.h"
#include "engine/files/VXLFileStoreManager.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/media/VXLMediaLocation.h"
#include "engine/records/OutboundQueueView.h"
#include "tests/support/FileStoreFixture.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr std::int32_t kBatchReply = 55;
const std::uint32_t kPhone = (1u << 16) + kLocationKindStoreKind1;
const std::uint32_t kCard = (2u << 16) + kLocationKindStoreKind2;

struct Outcome {
    std::int32_t result;
    std::int32_t status;
};

class QueueView : public COutboundQueueView {
public:
    std::uint32_t countQueued() const override { return queued; }
    bool isFull() const override { return false; }
    std::uint32_t queued = 0;
};

// The manager over the real File Store Manager, with stand-ins for the Local
// Media Manager (items and their pending counts by name) and the Media
// Upload Manager (answers from a script, 0 once it runs out).
struct BackgroundRig : FileStoreFixture, CBackgroundUploadManager::Owner {
    BackgroundRig()
    {
        files.setFileStore(&store);
        local.handler = [this](TraceJob& self, CVXLEvent* event) { serveLocal(self, event); };
        uploader.handler = [this](TraceJob& self, CVXLEvent* event) { serveUpload(self, event); };
        driver.attach(&files);
        driver.attach(&local);
        driver.attach(&uploader);
        driver.attach(&requester);
        driver.runUntilIdle();
    }

    void startManager()
    {
        manager = std::make_unique<CBackgroundUploadManager>();
        manager->setOwner(this);
        manager->setOutboundQueue(&queue);
        driver.attach(manager.get());
        run();
    }
    void stopManager()
    {
        manager->stop();
        run();
        manager.reset();
    }
    void run() { driver.runUntilIdle(100000); }
    // Lets the retry timer run out.
    void afterRetryDelay()
    {
        driver.advance(CBackgroundUploadManager::kRetryDelayMs);
        run();
    }

    CVXLPersStore& settings() override { return keys; }
    CVXLCounterTable* counters() override { return &counterTable; }
    bool dataCommAllowed() override { return dataOn; }
    bool hasNoActivity() override { return idle; }
    CVXLEventHandler* fileStoreManager() override { return &files; }
    CVXLEventHandler* localMediaManager() override { return &local; }
    CVXLEventHandler* mediaUploadManager() override { return &uploader; }
    void updateItem(const CVXLMediaItem& item) override { updated.push_back(item.id().c_str()); }
    bool configItem(std::int32_t item, CVXLString* text) override
    {
        const auto found = config.find(item);
        if (found == config.end())
            return false;
        *text = found->second.c_str();
        return true;
    }
    std::uint32_t storeLocation(std::uint16_t storeId) override { return storeId == 2 ? kCard : 0; }

    void serveLocal(TraceJob& self, CVXLEvent* event)
    {
        auto* request = dynamic_cast<CVXLLocalMediaRequest*>(event);
        if (!request || event->kind() == kEventReply)
            return self.finishEvent(event);
        const std::string name = request->name().c_str();
        if (event->requestCode() == kEventLocalMediaRequest
            || event->requestCode() == kEventLocalNextItemName) {
            // The store's item names in turn, then an empty name.
            if (event->requestCode() == kEventLocalMediaRequest)
                storeAt = 0;
            EXPECT_EQ(request->location().number(), 2);
            request->setName(storeAt < storeItems.size() ? storeItems[storeAt++].name.c_str() : "");
        } else if (event->requestCode() == kEventLocalImportByName) {
            if (missing.count(name)) {
                request->setResult(kResultFailed);
            } else {
                auto* item = new CVXLMediaItem();
                item->setId(name.c_str());
                item->setPendingCount(pending[name]);
                for (const StoreItem& known : storeItems) {
                    if (known.name != name)
                        continue;
                    item->setSize(known.size);
                    item->mediaRef().addEntry(
                        name.c_str(), known.mime.c_str(), &self, -1, -1, known.size, true);
                    item->mediaRef().setMimeType(known.mime.c_str());
                }
                request->item = item;
            }
        } else if (event->requestCode() == kEventMediaItemSave && request->item) {
            pending[request->item->id().c_str()] = request->item->pendingCount();
        }
        self.finishEvent(event);
    }

    void serveUpload(TraceJob& self, CVXLEvent* event)
    {
        auto* request = dynamic_cast<CMediaUploadRequest*>(event);
        if (!request)
            return self.finishEvent(event);
        EXPECT_EQ(request->items.size(), 1u);
        EXPECT_EQ(request->flags[2], 1);
        const std::string name = request->items.empty() ? "" : request->items[0].identity.c_str();
        attempts.push_back(name + "@" + request->name.c_str());
        Outcome outcome {0, 0};
        if (!script.empty()) {
            outcome = script.front();
            script.pop_front();
        }
        if (outcome.result == kResultSucceeded) {
            uploaded.push_back(name);
            if (pending[name] > 0)
                --pending[name];
        }
        request->statusValue = outcome.status;
        request->setResult(outcome.result);
        self.finishEvent(event);
    }

    std::int32_t queueBatch(const std::vector<std::pair<std::uint32_t, std::string>>& items,
        const char* album = "Holiday", CMediaUploadRequest* request = nullptr)
    {
        CMediaUploadRequest local(kBatchReply);
        CMediaUploadRequest* batch = request ? request : &local;
        batch->name = album;
        for (const auto& [location, name] : items)
            batch->addItem({location, "", name.c_str()});
        const std::size_t before = requester.results.size();
        requester.post(manager.get(), batch);
        run();
        return requester.results.size() > before ? requester.results.back() : -1;
    }

    std::string key(const char* name) const
    {
        CVXLString value;
        return keys.get(name, &value) ? value.c_str() : "<absent>";
    }
    // cursor, retries, in phone, external; an absent key reads as 0.
    std::vector<std::string> allKeys() const
    {
        std::vector<std::string> all;
        for (const char* name : {kPersBkgUploadCursor, kPersBkgUploadRetries, kPersBkgUploadCountInphone,
                 kPersBkgUploadCountExternal})
            all.push_back(key(name) == "<absent>" ? "0" : key(name));
        return all;
    }
    std::string dump() const
    {
        return runPython(std::string(TESSEL_SOURCE_DIR) + "/tests/peers/upload_queue_file.py --dump '"
            + hostFile(CBackgroundUploadManager::kQueueFileName) + "'");
    }

    CVXLFileStoreManager files;
    TraceJob local {"local media"};
    TraceJob uploader {"media upload"};
    TraceJob requester {"screen flow"};
    CVXLPersStore keys;
    CVXLCounterTable counterTable;
    QueueView queue;
    CVXLSimpleEvent queueWake {CBackgroundUploadManager::kWakeUp};
    bool dataOn = true;
    bool idle = true;
    struct StoreItem {
        std::string name;
        std::string mime;
        std::int32_t size;
    };
    std::vector<StoreItem> storeItems;
    std::size_t storeAt = 0;
    std::map<std::int32_t, std::string> config;
    std::map<std::string, std::int32_t> pending;
    std::set<std::string> missing;
    std::deque<Outcome> script;
    std::vector<std::string> attempts;
    std::vector<std::string> uploaded;
    std::vector<std::string> updated;
    std::unique_ptr<CBackgroundUploadManager> manager;
};

using Keys = std::vector<std::string>;

// A batch appends one record per item of the phone or the card not yet
// pending, raises and saves each pending count and counts the records by
// location kind; online items, pending items and records past the read
// window are left out, the last one flagged.
TEST(BackgroundUploadManager, BatchesAppendRecordsAndCountThem)
{
    BackgroundRig rig;
    rig.dataOn = false;
    rig.startManager();
    rig.pending["busy.jpg"] = 1;
    const std::string longName(500, 'n');
    CMediaUploadRequest batch(kBatchReply);
    EXPECT_EQ(rig.queueBatch({{kPhone, "a.jp"}, {1, "U9"}, {kCard, "card.jpg"}, {kPhone, "busy.jpg"},
                                 {kPhone, longName}},
                  "Album", &batch),
        0);
    EXPECT_EQ(rig.dump(), "0 65539 a.jp Album\n25 131076 card.jpg Album\n");
    EXPECT_EQ(rig.allKeys(), (Keys {"0", "0", "1", "1"}));
    EXPECT_EQ(rig.counterTable.get(kCounterInPhone), 1);
    EXPECT_EQ(rig.counterTable.get(kCounterExternal), 1);
    EXPECT_EQ(rig.pending["a.jp"], 1);
    EXPECT_EQ(rig.pending["card.jpg"], 1);
    EXPECT_EQ(rig.pending["busy.jpg"], 1);
    EXPECT_EQ(rig.updated, (std::vector<std::string> {"a.jp", "card.jpg"}));
    EXPECT_EQ(rig.key(kPersProgressCurrent), "5");
    EXPECT_EQ(batch.flags[1], 1);
    EXPECT_TRUE(rig.attempts.empty());
    EXPECT_TRUE(rig.manager->hasPending());

    // The same items again: all pending now, nothing appended.
    EXPECT_EQ(rig.queueBatch({{kPhone, "a.jp"}, {kCard, "card.jpg"}}), 0);
    EXPECT_EQ(rig.dump(), "0 65539 a.jp Album\n25 131076 card.jpg Album\n");
}

// A queue file that cannot be written queues nothing: no count, no pending
// item, nothing saved to the media record; the next batch queues it.
TEST(BackgroundUploadManager, ARecordNotAppendedLeavesTheItemUnqueued)
{
    BackgroundRig rig;
    rig.dataOn = false;
    rig.startManager();
    // A folder in the file's place: the write cannot replace it.
    ASSERT_EQ(::mkdir(rig.hostFile(CBackgroundUploadManager::kQueueFileName).c_str(), 0700), 0);
    EXPECT_EQ(rig.queueBatch({{kPhone, "a.jp"}}), 0);
    EXPECT_EQ(rig.allKeys(), (Keys {"0", "0", "0", "0"}));
    EXPECT_EQ(rig.pending["a.jp"], 0);
    EXPECT_TRUE(rig.updated.empty());
    EXPECT_FALSE(rig.manager->hasPending());
    CVXLLog::flush();
    EXPECT_NE(rig.root.readFile("log/engine.log").find("item not queued"), std::string::npos);

    ASSERT_EQ(::rmdir(rig.hostFile(CBackgroundUploadManager::kQueueFileName).c_str()), 0);
    EXPECT_EQ(rig.queueBatch({{kPhone, "a.jp"}}), 0);
    EXPECT_EQ(rig.dump(), "0 65539 a.jp Holiday\n");
    EXPECT_EQ(rig.allKeys(), (Keys {"0", "0", "1", "0"}));
}

// The names of the records "state.uq" holds, in order, as the Python reader
// sees them; "bad" ends a list whose bytes are not whole records.
std::vector<std::string> queuedNames(const BackgroundRig& rig)
{
    std::vector<std::string> names;
    std::istringstream lines(rig.dump());
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string offset, location, name;
        fields >> offset >> location >> name;
        names.push_back(offset == "bad" ? "bad" : name);
    }
    return names;
}

// A long batch goes on while the file is written, its records gathered into
// fewer writes: every item lands once and in order after what the file held,
// an item named twice once, each count saved after its record.
TEST(BackgroundUploadManager, ALongBatchQueuesEachItemOnceInItsOrder)
{
    BackgroundRig rig;
    rig.dataOn = false;
    rig.startManager();
    ASSERT_EQ(rig.queueBatch({{kPhone, "first.jpg"}}, "A"), 0);
    std::vector<std::pair<std::uint32_t, std::string>> items;
    std::vector<std::string> expected {"first.jpg"};
    for (int i = 0; i < 60; ++i) {
        items.push_back({i % 3 == 0 ? kCard : kPhone, "p" + std::to_string(i) + ".jpg"});
        expected.push_back(items.back().second);
        // The same item again, at once and much later: queued once.
        if (i == 10 || i == 50)
            items.push_back({kPhone, "p10.jpg"});
    }
    items.push_back({kPhone, "first.jpg"});
    EXPECT_EQ(rig.queueBatch(items, "B"), 0);
    EXPECT_EQ(queuedNames(rig), expected);
    EXPECT_EQ(rig.allKeys(), (Keys {"0", "0", "41", "20"}));
    EXPECT_EQ(rig.updated, expected);
    for (const std::string& name : expected)
        EXPECT_EQ(rig.pending[name], 1) << name;
    EXPECT_EQ(rig.key(kPersProgressCurrent), "63");
}

// Writes that fail in the middle of a long batch (the file's place taken by
// a folder for a while) leave exactly their items unqueued: the file holds
// whole records, and an item is pending, counted and saved exactly when its
// record is there.
TEST(BackgroundUploadManager, WritesFailingMidBatchLeaveOnlyTheirItemsUnqueued)
{
    BackgroundRig rig;
    rig.dataOn = false;
    rig.startManager();
    ASSERT_EQ(rig.queueBatch({{kPhone, "first.jpg"}}, "A"), 0);
    const std::string file = rig.hostFile(CBackgroundUploadManager::kQueueFileName);
    const std::string aside = file + ".aside";
    auto serve = rig.local.handler;
    rig.local.handler = [&](TraceJob& self, CVXLEvent* event) {
        auto* request = dynamic_cast<CVXLLocalMediaRequest*>(event);
        if (request && event->kind() != kEventReply && event->requestCode() == kEventLocalImportByName) {
            if (request->name() == "p8.jpg") {
                EXPECT_EQ(::rename(file.c_str(), aside.c_str()), 0);
                EXPECT_EQ(::mkdir(file.c_str(), 0700), 0);
            } else if (request->name() == "p20.jpg") {
                EXPECT_EQ(::rmdir(file.c_str()), 0);
                EXPECT_EQ(::rename(aside.c_str(), file.c_str()), 0);
            }
        }
        serve(self, event);
    };
    std::vector<std::pair<std::uint32_t, std::string>> items;
    for (int i = 0; i < 40; ++i)
        items.push_back({kPhone, "p" + std::to_string(i) + ".jpg"});
    EXPECT_EQ(rig.queueBatch(items, "B"), 0);

    const std::vector<std::string> names = queuedNames(rig);
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(names.front(), "first.jpg");
    const std::set<std::string> inFile(names.begin(), names.end());
    EXPECT_EQ(inFile.size(), names.size());
    EXPECT_EQ(inFile.count("bad"), 0u);
    int unqueued = 0;
    for (const auto& [location, name] : items) {
        const bool there = inFile.count(name) != 0;
        unqueued += !there;
        EXPECT_EQ(rig.pending[name], there ? 1 : 0) << name;
    }
    EXPECT_GT(unqueued, 0);
    EXPECT_TRUE(inFile.count("p39.jpg"));
    EXPECT_EQ(rig.allKeys(), (Keys {"0", "0", std::to_string(names.size()), "0"}));
    EXPECT_EQ(rig.updated, names);
    CVXLLog::flush();
    EXPECT_NE(rig.root.readFile("log/engine.log").find("could not be written"), std::string::npos);

    // The items left out go in with the next batch.
    rig.updated.clear();
    EXPECT_EQ(rig.queueBatch(items, "B"), 0);
    EXPECT_EQ(queuedNames(rig).size(), items.size() + 1);
    EXPECT_EQ(rig.updated.size(), static_cast<std::size_t>(unqueued));
}

// A whole store is walked item by item: items above the configured size of
// their kind (none allowed when the size is absent) and pending items are
// left out, other kinds go in, and an item that cannot be resolved ends the
// walk.
TEST(BackgroundUploadManager, WholeStoreWalks)
{
    struct Case {
        const char* name;
        std::map<std::int32_t, std::string> config;
        std::set<std::string> missing;
        std::int32_t result;
        std::string records;
        std::string progress;
        std::uint8_t skippedFlag;
    } cases[] = {
        {"no video size: videos left out", {{kCfgUploadAllMaxImageSize, "1000"}}, {}, 0,
            "0 131076 small.jpg Card\n29 131076 note.txt Card\n", "5", 1},
        {"both sizes", {{kCfgUploadAllMaxImageSize, "1000"}, {kCfgUploadAllMaxVideoSize, "500"}}, {}, 0,
            "0 131076 small.jpg Card\n29 131076 clip.3gp Card\n57 131076 note.txt Card\n", "5", 1},
        {"sizes large enough for all",
            {{kCfgUploadAllMaxImageSize, "9000"}, {kCfgUploadAllMaxVideoSize, "500"}}, {}, 0,
            "0 131076 small.jpg Card\n29 131076 big.jpg Card\n56 131076 clip.3gp Card\n84 131076 note.txt "
            "Card\n",
            "5", 0},
        {"an item that cannot be resolved ends the walk", {{kCfgUploadAllMaxImageSize, "9000"}}, {"clip.3gp"},
            kResultFailed, "0 131076 small.jpg Card\n29 131076 big.jpg Card\n", "2", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BackgroundRig rig;
        rig.dataOn = false;
        rig.config = c.config;
        rig.missing = c.missing;
        rig.storeItems = {{"small.jpg", "image/jpeg", 100}, {"big.jpg", "image/jpeg", 5000},
            {"clip.3gp", "video/3gpp", 400}, {"busy.jpg", "image/jpeg", 10}, {"note.txt", "text/plain", 10}};
        rig.pending["busy.jpg"] = 2;
        rig.startManager();
        CMediaUploadRequest walk(kBatchReply);
        walk.setWholeCollection(true);
        walk.words[1] = 2;
        EXPECT_EQ(rig.queueBatch({}, "Card", &walk), c.result);
        EXPECT_EQ(rig.dump(), c.records);
        EXPECT_EQ(rig.key(kPersProgressCurrent), c.progress);
        EXPECT_EQ(walk.flags[1], c.skippedFlag);
        EXPECT_EQ(rig.pending["busy.jpg"], 2);
        EXPECT_FALSE(rig.manager->batchRunning());
    }
}

// How an upload ends decides what follows, with the server's answers
// scripted per attempt over a queue of two records.
TEST(BackgroundUploadManager, OutcomesMoveTheCursorOrRetry)
{
    const Outcome fail {kResultNetworkNotice, 266};
    struct Case {
        const char* name;
        std::vector<Outcome> script;
        // Retry delays let pass after the first run.
        int retryRounds;
        std::vector<std::string> attempts;
        Keys keys;
        std::string file;
        bool timer;
    } cases[] = {
        {"both succeed: the file is emptied", {}, 0, {"one.jpg@A", "two.jpg@A"}, {"0", "0", "0", "0"}, "",
            false},
        {"fails twice, then succeeds; the next fails once", {fail, fail, {0, 0}, fail}, 2,
            {"one.jpg@A", "one.jpg@A", "one.jpg@A", "two.jpg@A"}, {"24", "1", "1", "0"}, "two", true},
        {"three failures give the record up", {fail, fail, fail}, 3,
            {"one.jpg@A", "one.jpg@A", "one.jpg@A", "two.jpg@A"}, {"0", "0", "0", "0"}, "", false},
        {"refused with 273: given up at once", {{kResultNetworkNotice, 273}}, 0, {"one.jpg@A", "two.jpg@A"},
            {"0", "0", "0", "0"}, "", false},
        {"too large (96): given up at once", {{kResultUploadTooLarge, 0}}, 0, {"one.jpg@A", "two.jpg@A"},
            {"0", "0", "0", "0"}, "", false},
        {"52 with 274 drops the whole queue", {{kResultNetworkNotice, 274}}, 1, {"one.jpg@A"},
            {"0", "0", "0", "0"}, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BackgroundRig rig;
        rig.dataOn = false;
        rig.startManager();
        ASSERT_EQ(rig.queueBatch({{kPhone, "one.jpg"}, {kPhone, "two.jpg"}}, "A"), 0);
        rig.script.assign(c.script.begin(), c.script.end());
        rig.dataOn = true;
        rig.manager->onUiRequest(kUIRequestDataCommOn);
        rig.run();
        for (int i = 0; i < c.retryRounds; ++i)
            rig.afterRetryDelay();
        EXPECT_EQ(rig.attempts, c.attempts);
        EXPECT_EQ(rig.allKeys(), c.keys);
        EXPECT_EQ(rig.manager->retryArmed(), c.timer);
        const std::string file = rig.readHostFile(CBackgroundUploadManager::kQueueFileName);
        EXPECT_EQ(file.size(), c.file.empty() ? 0u : 48u);
        // Uploaded and given-up items are no longer pending.
        if (c.keys[2] == "0") {
            EXPECT_EQ(rig.pending["one.jpg"], c.script.size() == 1 && c.script[0].status == 274 ? 1 : 0);
        }
    }
}

// A restart resumes at the record at the cursor with its retry count.
TEST(BackgroundUploadManager, ARestartResumesAtTheCursor)
{
    BackgroundRig rig;
    rig.dataOn = false;
    rig.startManager();
    ASSERT_EQ(rig.queueBatch({{kPhone, "one.jpg"}, {kCard, "two.jpg"}, {kPhone, "three.jpg"}}, "A"), 0);
    rig.script = {{0, 0}, {kResultFailed, 0}};
    rig.dataOn = true;
    rig.manager->onUiRequest(kUIRequestDataCommOn);
    rig.run();
    EXPECT_EQ(rig.allKeys(), (Keys {"24", "1", "1", "1"}));
    rig.stopManager();

    rig.attempts.clear();
    rig.startManager();
    EXPECT_EQ(rig.attempts, (std::vector<std::string> {"two.jpg@A", "three.jpg@A"}));
    EXPECT_EQ(rig.allKeys(), (Keys {"0", "0", "0", "0"}));
    EXPECT_TRUE(rig.readHostFile(CBackgroundUploadManager::kQueueFileName).empty());
}

// Once a queue has drained, a new batch uploads only its own items.
TEST(BackgroundUploadManager, ADrainedQueueThenANewBatch)
{
    BackgroundRig rig;
    rig.startManager();
    ASSERT_EQ(rig.queueBatch({{kPhone, "one.jpg"}, {kPhone, "two.jpg"}}, "A"), 0);
    EXPECT_EQ(rig.uploaded, (std::vector<std::string> {"one.jpg", "two.jpg"}));
    ASSERT_EQ(rig.queueBatch({{kCard, "three.jpg"}}, "B"), 0);
    EXPECT_EQ(rig.attempts, (std::vector<std::string> {"one.jpg@A", "two.jpg@A", "three.jpg@B"}));
    EXPECT_EQ(rig.allKeys(), (Keys {"0", "0", "0", "0"}));
}

// Nothing is read or uploaded while data is off, the user is active, the
// outbound queue has an entry or a retry waits; the wake-up that follows
// the change goes on.
TEST(BackgroundUploadManager, WaitsWhileSomethingElseGoesOn)
{
    struct Case {
        const char* name;
        std::function<void(BackgroundRig&)> block;
        std::function<void(BackgroundRig&)> release;
    } cases[] = {
        {"data off", [](BackgroundRig& r) { r.dataOn = false; },
            [](BackgroundRig& r) {
                r.dataOn = true;
                r.manager->onUiRequest(kUIRequestDataCommOn);
            }},
        {"user active", [](BackgroundRig& r) { r.idle = false; },
            [](BackgroundRig& r) {
                r.idle = true;
                r.manager->onUiRequest(kUIRequestActivityEnded);
            }},
        {"a message to send", [](BackgroundRig& r) { r.queue.queued = 1; },
            [](BackgroundRig& r) {
                // The outbound queue's wake-up once it has nothing to send.
                r.queue.queued = 0;
                r.requester.post(r.manager.get(), &r.queueWake);
            }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BackgroundRig rig;
        c.block(rig);
        rig.startManager();
        ASSERT_EQ(rig.queueBatch({{kPhone, "one.jpg"}}, "A"), 0);
        rig.afterRetryDelay();
        EXPECT_TRUE(rig.attempts.empty());
        c.release(rig);
        rig.run();
        EXPECT_EQ(rig.attempts, (std::vector<std::string> {"one.jpg@A"}));
    }
}

// What the queue file holds at the cursor decides: damaged data, a torn
// record or no file at all drop the queue and zero the keys; with both
// counts 0 only the first wake-up after a start reads.
TEST(BackgroundUploadManager, DamagedOrMissingQueueFiles)
{
    const std::string good("\xce\xfa\x03\x00\x01\x00\x05\x00\x00\x00one.\x00\x02\x00\x00\x00"
                           "A\x00",
        21);
    struct Case {
        const char* name;
        std::string file;
        std::vector<std::string> attempts;
    } cases[] = {
        {"a good record", good, {"one.@A"}},
        {"wrong marker", "\xce\xfb" + good.substr(2), {}},
        {"torn record", good.substr(0, 20), {}},
        {"name length past the bytes",
            good.substr(0, 6) + std::string("\xff\x00\x00\x00", 4) + good.substr(10), {}},
        {"NUL inside the name", good.substr(0, 11) + std::string(1, '\0') + good.substr(12), {}},
        {"no file", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BackgroundRig rig;
        if (!c.file.empty())
            rig.writeHostFile(CBackgroundUploadManager::kQueueFileName, c.file);
        rig.keys.set(kPersBkgUploadCountInphone, "1");
        rig.keys.set(kPersBkgUploadRetries, "2");
        rig.startManager();
        EXPECT_EQ(rig.attempts, c.attempts);
        EXPECT_EQ(rig.allKeys(), (Keys {"0", "0", "0", "0"}));
        EXPECT_TRUE(rig.readHostFile(CBackgroundUploadManager::kQueueFileName).empty());
    }
    // Both counts 0 and no restart: a wake-up reads nothing.
    BackgroundRig rig;
    rig.startManager();
    rig.writeHostFile(CBackgroundUploadManager::kQueueFileName, good);
    rig.manager->wakeUp();
    rig.run();
    EXPECT_TRUE(rig.attempts.empty());
    EXPECT_EQ(rig.readHostFile(CBackgroundUploadManager::kQueueFileName), good);
}

} // namespace
