#include "engine/messaging/service/MessageServiceJob.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/platform/VXLPlatform.h"
#include "engine/core/platform/VXLPlatformFileStore.h"
#include "engine/core/platform/VXLPlatformMessageStore.h"
#include "engine/files/VXLFileStoreManager.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/media/VXLMediaRef.h"
#include "engine/messaging/inbound/VXLInboundMessageManager.h"
#include "engine/messaging/store/MessageStoreManager.h"
#include "engine/messaging/threads/VXLThreadDB.h"
#include "tests/messaging/MessagingTestSupport.h"
#include "tests/support/JobTreeDriver.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr std::int32_t kReply = 900;
constexpr std::uint32_t kNow = 1700000000;

struct StoreServices : CMessageStoreManager::Services {
    std::uint32_t messageLimit() override { return 10000; }
    void setCounter(const char*, std::uint32_t) override { }
    void setHasNewMessages() override { }
    std::uint32_t nowSeconds() override { return kNow; }
};

struct ThreadServices : CVXLThreadDB::Services {
    CVXLString ownNumber() const override { return CVXLString(); }
    void setNewMessageCount(std::uint32_t) override { }
};

struct InboundServices : CInboundServices {
    CVXLString relayUrl() override { return "http://127.0.0.1:9/"; }
    CVXLString userId() override { return "4711"; }
    std::uint32_t nowSeconds() override { return kNow; }
    void pushUIRequestCode(std::int32_t) override { }
    void processPendingPush() override { }
    void setStage(std::uint32_t) override { }
};

// The message store, counting the reads it is asked for.
class CountingStore : public CMessageStoreManager {
public:
    void onEvent(CVXLEvent* event) override
    {
        if (event->isRequest() && event->requestCode() == kEventStoreRead)
            ++reads;
        CMessageStoreManager::onEvent(event);
    }
    int reads = 0;
};

// A received message from the address, sent at the time, with a picture as
// its body entity; the subject names it.
std::vector<std::string> received(const std::string& from, std::uint32_t sent, const std::string& subject,
    const std::vector<std::string>& parts = {})
{
    std::vector<std::string> segments = {
        segment({{"X-QV-From-Address", from}, {"X-QV-Message-Sent-Time", std::to_string(sent)},
            {"X-QV-Image-Count", "1"}, {"22", subject}}),
        segment({{"Content-Type", "image/jpeg"}}, "JPEG " + subject),
        segment({{"X-QV-Total-Media-Parts", std::to_string(parts.size())}}),
        segment({{"22", subject}}),
    };
    segments.insert(segments.end(), parts.begin(), parts.end());
    return segments;
}

// What the outbound queue answers: a refresh fills the records of the
// entries it holds, 43 forgets them all, a single delete forgets one.
struct QueueStandIn : TraceJob {
    QueueStandIn()
        : TraceJob("queue")
    {
        handler = [this](TraceJob& job, CVXLEvent* event) {
            if (event->requestCode() == kOutboundRequestRefresh) {
                auto* refresh = static_cast<COutboundRefreshRequest*>(event);
                ++refreshes;
                for (CVXLMessageSummary* record : refresh->records) {
                    const std::string id = record->messageId().c_str();
                    refreshedIds.push_back(id);
                    if (!entries.count(id))
                        continue;
                    record->setSubject(entries[id].c_str());
                    CVXLMediaRefHandle picture;
                    picture.setMimeType("image/png");
                    picture.addEntry(
                        CVXLString(("item_" + id).c_str()), "image/png", this, 10, 10, 100, true);
                    record->setMediaRef(picture);
                }
            } else if (event->requestCode() == kOutboundRequestDeleteAll) {
                entries.clear();
            } else if (event->requestCode() == kEventMessageItem) {
                const std::string id = static_cast<CMessageItemRequest*>(event)->messageId.c_str();
                deleted.push_back(id);
                if (!entries.erase(id))
                    event->setResult(kResultNotFound);
            }
            job.finishEvent(event);
        };
    }
    std::map<std::string, std::string> entries;
    std::vector<std::string> refreshedIds;
    std::vector<std::string> deleted;
    int refreshes = 0;
};

struct ServiceFixture : ::testing::Test {
    TempDeviceRoot root;
    JobTreeDriver driver;
    CVXLPlatformMessageStore messageStore;
    CVXLPlatformFileStore fileStore;
    CVXLFileStoreManager files;
    StoreServices storeServices;
    ThreadServices threadServices;
    CVXLThreadDB threads;
    CountingStore store;
    QueueStandIn queue;
    TraceJob inbound {"inbound"};
    TraceJob online {"online media"};
    TraceJob requester {"requester"};
    CMessageServiceJob job;
    std::vector<std::uint32_t> inboundKinds;
    // Result texts of the answers, in order.
    std::vector<std::string> texts;

    ServiceFixture()
    {
        files.setFileStore(&fileStore);
        threads.setFileStoreManager(&files);
        threads.setServices(&threadServices);
        store.setStore(&messageStore);
        store.setThreadDB(&threads);
        store.setServices(&storeServices);
        job.setStore(&store);
        job.setThreadDB(&threads);
        job.setOutboundQueue(&queue);
        job.setInbound(&inbound);
        job.setServices(&storeServices);
        job.setOnlineMedia(&online);
        requester.handler = [this](TraceJob& self, CVXLEvent* event) {
            texts.push_back(event->resultText().c_str());
            self.finishEvent(event);
        };
        driver.attach(&files);
        driver.attach(&threads);
        driver.attach(&queue);
        driver.attach(&inbound);
        driver.attach(&requester);
        driver.runUntilIdle();
    }
    ~ServiceFixture() override
    {
        for (CVXLEventHandler* one :
            {static_cast<CVXLEventHandler*>(&job), static_cast<CVXLEventHandler*>(&store),
                static_cast<CVXLEventHandler*>(&threads), static_cast<CVXLEventHandler*>(&files)}) {
            if (one->isActive())
                one->stop();
            driver.runUntilIdle();
        }
    }

    std::string folder() const { return hostFolderOf(messageStore); }
    bool exists(const std::string& id) const { return hostFileExists(folder() + "/" + id); }
    void writeMessage(const std::string& id, const std::vector<std::string>& segments)
    {
        writeMessageFile(folder() + "/" + id, segments, root.hostPath("seed.json"));
    }
    // Starts the store (which threads what it finds) and the job.
    void start()
    {
        driver.attach(&store);
        driver.runUntilIdle();
        ASSERT_TRUE(store.isActive());
        driver.attach(&job);
        driver.runUntilIdle();
    }
    // A queued message to the address, known to the thread database and
    // held by the queue.
    void queueMessage(const std::string& id, const std::string& to, std::uint32_t sent)
    {
        CThreadAddRequest add(kReply);
        add.messageId = id.c_str();
        add.recipients.insertAt(to.c_str(), 0);
        add.queued = 1;
        add.sent = 1;
        add.sentTime = sent;
        requester.post(&threads, &add);
        driver.runUntilIdle();
        queue.entries[id] = "queued " + id;
    }
    std::int32_t send(CVXLEvent& request)
    {
        const std::size_t before = requester.results.size();
        requester.post(&job, &request);
        driver.runUntilIdle();
        return requester.results.size() > before ? requester.results.back() : -1;
    }
    CVXLString keyOf(const char* display) const
    {
        for (std::uint32_t i = 0; i < threads.shownCount(); ++i) {
            if (threads.shownAt(static_cast<int>(i))->displayAddress == display)
                return threads.shownAt(static_cast<int>(i))->address;
        }
        return CVXLString();
    }
    std::string savedThreads() { return savedThreadDatabase(driver, fileStore); }
    // Thread "+15550001": stored m1..m3, queued o1 and o2.
    void seedThread()
    {
        writeMessage("i1700000001_0", received("+15550001", 100, "m1"));
        writeMessage("i1700000002_0", received("+15550001", 200, "m2"));
        writeMessage("i1700000003_0", received("+15550001", 300, "m3"));
        start();
        queueMessage("o1", "+15550001", 400);
        queueMessage("o2", "+15550001", 500);
    }
};

std::string subjects(const CMessageQuery& query)
{
    std::string out;
    for (const CVXLMessageSummary* record : query.results)
        out += (out.empty() ? "" : ",") + std::string(record->subject().c_str());
    return out;
}

TEST_F(ServiceFixture, ThreadWindowSplitsIntoStoredAndQueuedRuns)
{
    seedThread();
    const CVXLString key = keyOf("+15550001");
    ASSERT_TRUE(key.length());

    struct Case {
        const char* what;
        std::uint32_t start;
        std::uint32_t size;
        const char* subjects;
        int storeReads;
        int queueRefreshes;
    };
    const Case cases[] = {
        {"start 2 size 3: one stored, two queued", 2, 3, "m3,queued o1,queued o2", 1, 1},
        {"start past the end moves to the last message", 9, 3, "queued o2", 0, 1},
        {"stored only", 0, 2, "m1,m2", 2, 0},
        {"a size that would wrap the end", 4, 0xFFFFFFFFu, "queued o2", 0, 1},
        {"size 0 is an empty window", 1, 0, "", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CMessageQuery query(kReply);
        query.threadAddress = key;
        query.start = c.start;
        query.size = c.size;
        const int readsBefore = store.reads;
        const int refreshesBefore = queue.refreshes;
        EXPECT_EQ(send(query), kResultSucceeded);
        EXPECT_EQ(subjects(query), c.subjects);
        EXPECT_EQ(query.total, 5u);
        EXPECT_STREQ(query.displayAddress.c_str(), "+15550001");
        EXPECT_EQ(store.reads - readsBefore, c.storeReads);
        EXPECT_EQ(queue.refreshes - refreshesBefore, c.queueRefreshes);
    }
}

TEST_F(ServiceFixture, ThreadWindowFillsTheCallersArrayAndNothingPastIt)
{
    seedThread();
    CVXLMessageSummary records[3];
    CMessageQuery query(kReply);
    query.setTarget(records);
    query.threadAddress = keyOf("+15550001");
    query.start = 2;
    query.size = 3;
    EXPECT_EQ(send(query), kResultSucceeded);
    ASSERT_EQ(query.results.size(), 3u);
    EXPECT_EQ(query.results[0], &records[0]);
    EXPECT_EQ(query.results[2], &records[2]);
    EXPECT_STREQ(records[1].messageId().c_str(), "o1");
    EXPECT_NE(records[0].mediaRef(), nullptr);
}

TEST_F(ServiceFixture, UnknownThreadsAreNotFound)
{
    seedThread();
    struct Case {
        const char* what;
        std::int32_t code;
        const char* address;
    };
    const Case cases[] = {
        {"window of an unknown address", kServiceRequestThreadWindow, "+19999999"},
        {"window of an empty address", kServiceRequestThreadWindow, ""},
        {"delete of an unknown address", kServiceRequestDeleteThread, "+19999999"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::int32_t result = -1;
        if (c.code == kServiceRequestThreadWindow) {
            CMessageQuery query(kReply);
            query.threadAddress = c.address;
            query.size = 3;
            result = send(query);
        } else {
            CMessageTextRequest request(kServiceRequestDeleteThread, kReply);
            request.text = c.address;
            result = send(request);
        }
        EXPECT_EQ(result, 1);
        EXPECT_EQ(texts.back(), "Thread not found");
        EXPECT_EQ(threads.shownCount(), 1u);
        EXPECT_TRUE(exists("i1700000001_0"));
        EXPECT_TRUE(queue.deleted.empty());
    }
}

TEST_F(ServiceFixture, ListWindowOfTheInboxFillsWhatIsLeftAndReportsTheTotal)
{
    for (int i = 0; i < 12; ++i)
        writeMessage("i17000001" + std::to_string(10 + i) + "_0",
            received("+1555" + std::to_string(1000 + i), 100 + i, "n" + std::to_string(i)));
    start();

    struct Case {
        std::uint32_t start;
        std::uint32_t size;
        std::uint32_t filled;
    };
    const Case cases[] = {{10, 5, 2}, {0, 5, 5}, {12, 5, 0}, {3, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start * 100 + c.size);
        CVXLMessageSummary records[5];
        CMessageListRequest list(kReply);
        list.reset();
        list.boxType = kServiceBoxInbox;
        list.start = c.start;
        list.size = c.size;
        list.records = records;
        const int readsBefore = store.reads;
        EXPECT_EQ(send(list), kResultSucceeded);
        EXPECT_EQ(list.filled, c.filled);
        EXPECT_EQ(list.total, 12u);
        EXPECT_EQ(store.reads - readsBefore, static_cast<int>(c.filled));
        for (std::uint32_t i = 0; i < c.filled; ++i)
            EXPECT_TRUE(records[i].messageId().length());
    }
}

TEST_F(ServiceFixture, ListWindowsOfOtherBoxesGoToTheInboundManager)
{
    start();
    inbound.handler = [](TraceJob& self, CVXLEvent* event) {
        auto* list = static_cast<CMessageBoxListRequest*>(event);
        if (list->kind == 1) {
            list->count = 2;
            list->total = 7;
        } else {
            event->setResult(kResultFailed);
        }
        self.finishEvent(event);
    };
    struct Case {
        std::uint32_t boxType;
        std::int32_t result;
        std::uint32_t filled;
        std::uint32_t total;
    };
    const Case cases[] = {{1, kResultSucceeded, 2, 7}, {3, kResultFailed, 0, 0}, {6, kResultFailed, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.boxType);
        CVXLMessageSummary records[2];
        CMessageListRequest list(kReply);
        list.reset();
        list.boxType = c.boxType;
        list.size = 2;
        list.records = records;
        EXPECT_EQ(send(list), c.result);
        EXPECT_EQ(list.filled, c.filled);
        EXPECT_EQ(list.total, c.total);
        EXPECT_EQ(inbound.codes.back(), kEventMessageBoxList);
    }
}

TEST_F(ServiceFixture, ThreadListTakesAQueuedLatestMessageFromTheQueue)
{
    writeMessage("i1700000009_0", received("+15550002", 900, "other"));
    seedThread();

    CThreadListRequest list(kReply);
    list.start = 0;
    list.size = 20;
    EXPECT_EQ(send(list), kResultSucceeded);
    EXPECT_EQ(list.total, threads.shownCount());
    CVXLMessageListItem* item = nullptr;
    for (std::uint32_t i = 0; i < list.items.count(); ++i) {
        if (list.itemAt(static_cast<int>(i))->name() == "+15550001")
            item = list.itemAt(static_cast<int>(i));
    }
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->count(), 5);
    EXPECT_EQ(item->id(), keyOf("+15550001"));
    // The latest is o2, asked of the queue by its id; the latest stored is m3.
    ASSERT_FALSE(queue.refreshedIds.empty());
    EXPECT_EQ(queue.refreshedIds.back(), "o2");
    ASSERT_TRUE(item->hasFirstReference());
    ASSERT_NE(item->firstReference(), nullptr);
    EXPECT_STREQ(item->firstReference()->rendition(0).location.c_str(), "item_o2");
    ASSERT_TRUE(item->hasSecondReference());
    ASSERT_NE(item->secondReference(), nullptr);
    EXPECT_STREQ(item->secondReference()->getMimeType().c_str(), "image/jpeg");

    // A later window holds what is left.
    CThreadListRequest rest(kReply);
    rest.start = 1;
    rest.size = 20;
    EXPECT_EQ(send(rest), kResultSucceeded);
    EXPECT_EQ(rest.total, 2u);
    ASSERT_EQ(rest.items.count(), 1u);
    EXPECT_EQ(rest.itemAt(0)->name(), list.itemAt(1)->name());
}

TEST_F(ServiceFixture, AThreadWindowClearsTheThreadsNewCount)
{
    writeMessage("i1700000001_0", received("+15550001", 100, "m1"));
    writeMessage("i1700000002_0", received("+15550001", 200, "m2"));
    writeHost(folder() + "/mms.new", std::string("i1700000001_0") + '\0' + "i1700000002_0" + '\0');
    start();
    const CVXLString key = keyOf("+15550001");
    ASSERT_EQ(threads.findThread(key)->newCount, 2u);

    CThreadListRequest list(kReply);
    list.size = 5;
    EXPECT_EQ(send(list), kResultSucceeded);
    ASSERT_EQ(list.items.count(), 1u);
    EXPECT_EQ(list.itemAt(0)->valueA(), 2u);
    EXPECT_EQ(list.itemAt(0)->valueB(), 2u);

    CMessageQuery query(kReply);
    query.threadAddress = key;
    query.size = 1;
    EXPECT_EQ(send(query), kResultSucceeded);
    EXPECT_EQ(threads.findThread(key)->newCount, 0u);
}

TEST_F(ServiceFixture, DeletingAThreadSendsQueuedIdsToTheQueueAndTheRestToTheStore)
{
    // The inbound manager deletes kind 5 from the store.
    InboundServices inboundServices;
    CVXLInboundMessageManager manager;
    manager.setStoreTarget(&store);
    manager.setServices(&inboundServices);
    job.setInbound(&manager);
    writeMessage("i1700000009_0", received("+15550002", 900, "other"));
    seedThread();
    driver.attach(&manager);
    driver.runUntilIdle();

    CMessageTextRequest request(kServiceRequestDeleteThread, kReply);
    request.text = keyOf("+15550001");
    EXPECT_EQ(send(request), kResultSucceeded);
    EXPECT_EQ(queue.deleted, (std::vector<std::string> {"o1", "o2"}));
    for (const char* id : {"i1700000001_0", "i1700000002_0", "i1700000003_0"})
        EXPECT_FALSE(exists(id)) << id;
    EXPECT_TRUE(exists("i1700000009_0"));
    const std::string saved = savedThreads();
    for (const char* id : {"i1700000001_0", "o1", "o2"})
        EXPECT_EQ(saved.find(id), std::string::npos) << id << " in " << saved;
    EXPECT_NE(saved.find("i1700000009_0"), std::string::npos) << saved;
    EXPECT_EQ(threads.shownCount(), 1u);

    manager.stop();
    driver.runUntilIdle();
}

TEST_F(ServiceFixture, DeleteAllEmptiesQueueThreadsAndStore)
{
    writeMessage("i1700000009_0", received("+15550002", 900, "other"));
    seedThread();
    // Stored messages of a thread go to the inbound manager by kind 5.
    inbound.handler = [this](TraceJob& self, CVXLEvent* event) {
        auto* item = static_cast<CMessageItemRequest*>(event);
        inboundKinds.push_back(item->kind);
        self.finishEvent(event);
    };
    CVXLEvent request(kServiceRequestDeleteAll, kReply);
    EXPECT_EQ(send(request), kResultSucceeded);
    EXPECT_TRUE(queue.entries.empty());
    EXPECT_EQ(threads.shownCount(), 0u);
    EXPECT_EQ(store.boxCount(0), 0u);
    for (const char* id : {"i1700000001_0", "i1700000009_0"})
        EXPECT_FALSE(exists(id)) << id;
    for (std::uint32_t kind : inboundKinds)
        EXPECT_EQ(kind, 5u);
    const std::string saved = savedThreads();
    EXPECT_EQ(saved.find("i17"), std::string::npos) << saved;
}

TEST_F(ServiceFixture, ReadPartsFillsMediaItemsByModeAndAcceptedKinds)
{
    writeMessage("i1700000001_0",
        received("+15550001", 100, "parts",
            {segment(
                 {{"Content-Type", "image/jpeg"}, {"X-QV-Image-Width", "640"}, {"X-QV-Image-Height", "480"}},
                 "IMG"),
                segment({{"Content-Type", "video/mp4"}}, "VIDEO"),
                segment({{"Content-Type", "image/jpeg"}, {"X-QV-DRM-Content-Type", "image/jpeg"},
                            {"X-QV-Save-Lock", "TRUE"}},
                    "DRM"),
                segment({{"Content-Type", "text/plain"}}, "hello text"),
                segment({{"Content-Type", "image/gif"}, {"Content-Location", "http://example.net/p.gif"}},
                    "GIF")}));
    writeMessage("i1700000002_0", received("+15550001", 200, "no parts"));
    start();
    inbound.handler = [](TraceJob& self, CVXLEvent* event) {
        static_cast<CMessageReadRequest*>(event)->totalMediaParts = 42;
        self.finishEvent(event);
    };

    constexpr std::uint32_t kImages = CMessageReadRequest::kImages;
    constexpr std::uint32_t kAll = 7;
    struct Case {
        const char* what;
        const char* id;
        std::uint32_t mode;
        std::uint32_t filter;
        std::uint32_t first;
        std::uint32_t count;
        std::int32_t result;
        std::uint32_t total; // the request's total media parts after it
        std::int32_t size; // the item's
        std::int32_t value; // its media reference's; -1 none
        bool drm;
        bool saveLock;
        const char* extra; // the location, the text or the second rendition's
        bool forwarded;
    };
    const Case cases[] = {
        {"an accepted picture", "i1700000001_0", 2, kImages, 0, 1, 0, 0, 3, 2, false, false, "", false},
        {"a video where only pictures are accepted", "i1700000001_0", 2, kImages, 1, 1, 76, 0, 0, -1, false,
            false, "", false},
        {"a video with every kind accepted", "i1700000001_0", 2, kAll, 1, 1, 0, 0, 5, 2, false, false, "",
            false},
        {"DRM with its save lock", "i1700000001_0", 2, 3, 2, 1, 0, 0, 3, 2, true, true, "", false},
        {"a text part read as text", "i1700000001_0", 3, kAll, 3, 1, 0, 0, 10, -1, false, false, "hello text",
            false},
        {"a part the service holds", "i1700000001_0", 2, kImages, 4, 1, 0, 0, 3, 1, false, false,
            "http://example.net/p.gif", false},
        {"mode 1 with a part", "i1700000001_0", 1, kImages, 0, 1, 0, 0, 3, 2, false, false, "", false},
        {"mode 1 with part count 0: the total only", "i1700000001_0", 1, kImages, 0, 0, 0, 5, 0, -1, false,
            false, "", false},
        {"a body not stored here", "i1700000002_0", 2, kImages, 0, 1, 0, 42, 0, -1, false, false, "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CVXLMediaItem items[1];
        CMessageReadRequest request(kReply);
        request.messageId = c.id;
        request.readMode = c.mode;
        request.mediaFilter = c.filter;
        request.firstPart = c.first;
        request.partCount = c.count;
        request.mediaItems = items;
        const std::size_t inboundBefore = inbound.codes.size();
        EXPECT_EQ(send(request), c.result);
        EXPECT_EQ(request.totalMediaParts, c.total);
        EXPECT_EQ(inbound.codes.size() > inboundBefore, c.forwarded);
        const CVXLMediaItem& item = items[0];
        EXPECT_EQ(item.size(), c.size);
        CVXLMediaRef* ref = item.mediaRef().get();
        EXPECT_EQ(ref ? ref->value() : -1, c.value);
        EXPECT_EQ(item.drmProtected(), c.drm);
        EXPECT_EQ(item.saveLocked(), c.saveLock);
        EXPECT_FALSE(item.online());
        if (c.mode == 3) {
            EXPECT_STREQ(item.infoText().c_str(), c.extra);
        }
        if (c.value == 1) {
            EXPECT_STREQ(item.location().c_str(), c.extra);
            EXPECT_STREQ(ref->rendition(1).location.c_str(), c.extra);
            EXPECT_STREQ(ref->rendition(2).mimeType.c_str(), "image/");
        }
        if (c.mode == 1 && c.count) {
            EXPECT_TRUE(item.id().length());
        }
        if (c.first == 0 && c.mode == 2 && c.value == 2) {
            EXPECT_EQ(ref->rendition(0).width, 640);
        }
        if (c.mode == 2 && c.value >= 1 && c.first != 0) {
            EXPECT_STREQ(item.name().c_str(), "parts");
        }
    }
}

TEST_F(ServiceFixture, OpenByMode)
{
    writeMessage("i1700000001_0",
        received("+15550001", 100, "parts", {segment({{"Content-Type", "image/png"}}, "PNG")}));
    start();
    struct Case {
        const char* what;
        std::uint32_t mode;
        std::int32_t result;
        bool forwarded;
        const char* firstPartType;
    };
    const Case cases[] = {
        {"stored: the part headers", 0, kResultSucceeded, false, "image/png"},
        {"through the inbound manager", 1, kResultSucceeded, true, ""},
        {"an unknown mode is refused", 2, kResultFailed, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CVXLHeaderMap parts[1];
        CMessageOpenRequest open(kReply);
        open.messageId = "i1700000001_0";
        open.fromNetwork = c.mode;
        open.partCount = 1;
        open.partArray = parts;
        const std::size_t inboundBefore = inbound.codes.size();
        EXPECT_EQ(send(open), c.result);
        EXPECT_EQ(inbound.codes.size() > inboundBefore, c.forwarded);
        EXPECT_STREQ(parts[0].value("Content-Type").c_str(), c.firstPartType);
    }
}

TEST_F(ServiceFixture, ACancelledListWindowEndsItsStoreTrafficAndIsAnswered)
{
    // A store that holds its requests until they are cancelled.
    TraceJob slowStore("slow store");
    CVXLEvent* held = nullptr;
    slowStore.handler = [&held](TraceJob& self, CVXLEvent* event) {
        if (event->requestCode() == kEventCancelNotice && held) {
            held->setResult(kResultCancelled);
            self.finishEvent(held);
            held = nullptr;
        } else if (event->requestCode() == kEventStoreCount) {
            held = event;
            return;
        }
        self.finishEvent(event);
    };
    driver.attach(&slowStore);
    start();
    job.setStore(&slowStore);

    CVXLMessageSummary records[2];
    CMessageListRequest list(kReply);
    list.reset();
    list.boxType = kServiceBoxInbox;
    list.size = 2;
    list.records = records;
    const std::size_t before = requester.results.size();
    requester.post(&job, &list);
    driver.runUntilIdle();
    ASSERT_NE(held, nullptr);
    ASSERT_EQ(requester.results.size(), before);

    requester.cancelEventsWith(&job);
    driver.runUntilIdle();
    EXPECT_EQ(held, nullptr);
    ASSERT_EQ(requester.results.size(), before + 1);
    EXPECT_EQ(requester.results.back(), kResultCancelled);

    // The job takes the next request.
    job.setStore(&store);
    list.reset();
    list.boxType = kServiceBoxInbox;
    list.size = 2;
    list.records = records;
    EXPECT_EQ(send(list), kResultSucceeded);
}

TEST_F(ServiceFixture, EveryOtherRequestIsForwardedOrAnswered)
{
    start();
    inbound.handler = [](TraceJob& self, CVXLEvent* event) {
        event->setResult(77);
        self.finishEvent(event);
    };
    struct Case {
        std::int32_t code;
        std::int32_t result;
        bool forwarded;
    };
    const Case cases[] = {
        {kInboundRequestNetworkMessage, 77, true},
        {kInboundRequestMmsSend, 77, true},
        {kInboundRequestMmboxStore, 77, true},
        {6, kResultSucceeded, false},
        {8, kResultSucceeded, false},
        {9, kResultSucceeded, false},
        {15, kResultSucceeded, false},
        {21, kResultSucceeded, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        CVXLEvent request(c.code, kReply);
        request.setResult(kResultFailed);
        const std::size_t inboundBefore = inbound.codes.size();
        EXPECT_EQ(send(request), c.result);
        EXPECT_EQ(inbound.codes.size() > inboundBefore, c.forwarded);
    }
}

TEST_F(ServiceFixture, RemovingTheLastThreadOfAMessageDeletesIt)
{
    seedThread();
    CMessageTextRequest request(kServiceRequestRemoveFromThread, kReply);
    request.text = "i1700000002_0";
    request.key = keyOf("+15550001");
    EXPECT_EQ(send(request), kResultSucceeded);
    EXPECT_FALSE(exists("i1700000002_0"));
    EXPECT_TRUE(exists("i1700000001_0"));
    EXPECT_EQ(threads.findMessage("i1700000002_0"), nullptr);
}

} // namespace
