// The outbound queue over a real File Store Manager in a fresh device root,
// with a recording stand-in for its sender; "state.oq" and the item files are
// read back by the Python peer, which knows only the file layout.
#include "engine/messaging/outbound/OutboundQueueManager.h"
#include "engine/core/scenario/ScenarioField.h"
#include "engine/core/scenario/ScenarioLayout.h"
#include "engine/files/VXLFileStoreManager.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/media/VXLMediaLocation.h"
#include "engine/messaging/store/VXLMessageSummary.h"
#include "engine/records/MediaSelectionSource.h"
#include "engine/records/VXLInboundRequests.h"
#include "tests/messaging/MessagingTestSupport.h"
#include "tests/support/FileStoreFixture.h"
#include "tests/support/StringVoiceMemo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

struct Services : COutboundQueueManager::Services {
    std::uint32_t now = 1700000000;
    bool data = true;
    bool idle = true;
    bool deleteSent = false;
    std::vector<std::int32_t> codes;
    CVXLCounterTable table;

    std::uint32_t nowSeconds() override { return now; }
    bool dataCommAllowed() override { return data; }
    bool hasNoActivity() override { return idle; }
    CVXLString ownNumber() override { return "+15550000"; }
    bool deleteSentMessages() override { return deleteSent; }
    void pushUIRequestCode(std::int32_t code) override { codes.push_back(code); }
    CVXLCounterTable* counters() override { return &table; }
    int count(std::int32_t code) const
    {
        return static_cast<int>(std::count(codes.begin(), codes.end(), code));
    }
};

// Keeps each send request until the test answers it, as the real sender
// does: the result event first, then the request finished.
class RecordingSender : public CVXLEventHandler {
public:
    void onEvent(CVXLEvent* event) override
    {
        if (event->kind() != kEventReply && event->requestCode() == kEventOutboundSend) {
            auto* request = static_cast<COutboundSendRequest*>(event);
            items.emplace_back(request->itemFile.c_str());
            audio.emplace_back(request->audioFile.c_str());
            pending = event;
            return;
        }
        finishEvent(event);
    }

    bool answer(std::int32_t result, const char* text = "", std::uint8_t permanent = 0)
    {
        if (!pending)
            return false;
        auto* report = new COutboundSendResult;
        report->setReplyWanted(false);
        report->setResult(result, text);
        report->permanent = permanent;
        post(parent(), report);
        CVXLEvent* request = pending;
        pending = nullptr;
        finishEvent(request);
        return true;
    }

    std::vector<std::string> items;
    std::vector<std::string> audio;
    CVXLEvent* pending = nullptr;
};

struct Selection : CMediaSelectionSource {
    std::vector<CVXLMediaItem*> items;
    std::vector<CVXLMediaItem*> selectedMedia() override { return items; }
};

struct Report {
    int kind;
    std::string id;
    int reason;
    int attempts;
    std::string text;
};

CScenarioLayout* newScreen(bool recipients)
{
    auto* screen = new CScenarioLayout;
    screen->setId(recipients ? "__vxl_sendto_recipients" : "__vxl_post_to_album");
    screen->setCookie("c-9");
    auto* field = new CScenarioField;
    field->setFieldId("s");
    field->fieldDescription().setType("subj");
    field->setOutgoing(true);
    field->values().append("Hello");
    screen->addField(field);
    return screen;
}

struct QueueRig : FileStoreFixture {
    CVXLFileStoreManager files;
    Services services;
    RecordingSender* sender = new RecordingSender;
    COutboundQueueManager queue {std::unique_ptr<CVXLEventHandler>(sender)};
    TraceJob threads {"threads"};
    TraceJob producer {"producer"};
    TraceJob uploader {"uploader"};
    TraceJob localMedia {"local media"};
    std::vector<CVXLMediaItem*> saved;
    // Records the answers' results (finishing an answer clears it).
    TraceJob source {"source"};
    std::vector<Report> reports;
    std::unique_ptr<CScenarioLayout> recipientScreen {newScreen(true)};
    std::unique_ptr<CScenarioLayout> albumScreen {newScreen(false)};

    QueueRig()
    {
        producer.handler = [this](TraceJob& job, CVXLEvent* event) {
            if (event->requestCode() == kEventFailedMessageReport) {
                auto* report = static_cast<CFailedMessageReport*>(event);
                for (const CFailedMessageRecord& r : report->records)
                    reports.push_back({report->kind, r.messageId.c_str(), r.reason,
                        static_cast<int>(r.attempts), report->text.c_str()});
            }
            job.finishEvent(event);
        };
        localMedia.handler = [this](TraceJob& job, CVXLEvent* event) {
            if (event->requestCode() == kEventMediaItemSave)
                saved.push_back(static_cast<CVXLLocalMediaRequest*>(event)->item);
            job.finishEvent(event);
        };
    }

    void start()
    {
        files.setFileStore(&store);
        queue.setServices(&services);
        queue.setFileStoreManager(&files);
        queue.setPlatformStore(&store);
        queue.setThreadDatabase(&threads);
        queue.setProducer(&producer);
        queue.setBackgroundUploader(&uploader);
        queue.setLocalMediaManager(&localMedia);
        driver.attach(&localMedia);
        driver.attach(&files);
        driver.attach(&threads);
        driver.attach(&producer);
        driver.attach(&uploader);
        driver.attach(&source);
        driver.attach(&queue);
        driver.runUntilIdle(5000);
    }

    void run() { driver.runUntilIdle(20000); }

    // The submit's result; the message is stored when it is 0.
    std::int32_t submit(bool toRecipients = true, std::uint8_t priority = 1, StringVoiceMemo* memo = nullptr,
        std::vector<const char*> to = {"+15551", "a@b.c"})
    {
        COutboundSubmitRequest request(1);
        request.screen = toRecipients ? recipientScreen.get() : albumScreen.get();
        for (const char* address : to)
            request.recipients.insertAt(address, static_cast<int>(request.recipients.count()));
        request.voiceMemo = memo;
        request.priority = priority;
        return ask(request);
    }

    std::int32_t ask(CVXLEvent& request)
    {
        source.results.clear();
        source.post(&queue, &request);
        run();
        EXPECT_FALSE(request.isBusy());
        EXPECT_EQ(source.results.size(), 1u);
        return source.results.empty() ? -999 : source.results.back();
    }

    std::string lastId() const { return queue.entryAt(queue.count() - 1).summary.messageId.c_str(); }

    std::int32_t deleteById(const std::string& id, std::uint8_t* displaced = nullptr)
    {
        CMessageItemRequest request(2);
        request.messageId = id.c_str();
        const std::int32_t result = ask(request);
        if (displaced)
            *displaced = request.displaced;
        return result;
    }

    std::int32_t retry(const std::string& id)
    {
        COutboundRetryRequest request(3);
        request.messageId = id.c_str();
        return ask(request);
    }

    int statusOf(const std::string& id) const
    {
        for (std::uint32_t i = 0; i < queue.count(); ++i) {
            if (std::string(queue.entryAt(i).summary.messageId.c_str()) == id)
                return static_cast<int>(queue.entryAt(i).status());
        }
        return 0; // gone
    }

    int attemptsOf(const std::string& id) const
    {
        for (std::uint32_t i = 0; i < queue.count(); ++i) {
            if (std::string(queue.entryAt(i).summary.messageId.c_str()) == id)
                return static_cast<int>(queue.entryAt(i).attempts);
        }
        return -1;
    }

    std::string peer(int* status = nullptr) { return msgstore({"queue-read", hostFile("")}, status); }
};

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

TEST(OutboundQueueManager, SubmitsAreStoredAsThePeerReadsThem)
{
    QueueRig rig;
    rig.services.data = false; // nothing leaves: the files stay as submitted
    rig.start();
    StringVoiceMemo memo;
    memo.bytes = FileStoreFixture::randomBytes(70000, 3);
    ASSERT_EQ(rig.submit(true, 2, &memo), 0);
    const std::string composedId = rig.lastId();
    COutboundSubmitPreparedRequest prepared(4);
    const char* texts[] = {"m-relay-1", "+15552,+15553", "x", "y", "Subject two"};
    for (int i = 0; i < 5; ++i)
        prepared.texts[i] = texts[i];
    prepared.value = 3;
    ASSERT_EQ(rig.ask(prepared), 0);
    const std::string preparedId = rig.lastId();
    EXPECT_EQ(composedId.rfind("o", 0), 0u);
    EXPECT_EQ(preparedId.rfind("o", 0), 0u);
    EXPECT_NE(composedId, preparedId);

    int status = -1;
    const std::string read = rig.peer(&status);
    ASSERT_EQ(status, 0) << read;
    for (const std::string& part : {
             std::string("\"next\": 2"),
             std::string("\"count\": 2"),
             std::string("\"current\": -1"),
             std::string("\"orphans\": []"),
             std::string("\"recipients\": [\"+15551\", \"a@b.c\"]"),
             std::string("\"recipients\": \"+15551, a@b.c\""),
             std::string("\"text\": \"Hello\""),
             std::string("\"audio\": \"memo.amr\""),
             std::string("\"voice\": 1"),
             std::string("\"priority\": 2"),
             std::string("\"scenario\": \"__vxl_sendto_recipients\""),
             std::string("\"id\": \"") + composedId + "\"",
             std::string("\"audio_size\": 70000"),
             std::string("\"strings\": [\"m-relay-1\", \"+15552,+15553\", \"x\", \"y\", \"Subject two\"]"),
             std::string("\"value\": 3"),
             std::string("\"recipients\": \"+15552,+15553\""),
             std::string("\"text\": \"Subject two\""),
             std::string("\"id\": \"") + preparedId + "\"",
         })
        EXPECT_TRUE(contains(read, part)) << part << "\n" << read;
    EXPECT_FALSE(contains(read, "\"item_file\": null")) << read;
    EXPECT_EQ(rig.readHostFile("audio_0.oq"), memo.bytes);
    EXPECT_FALSE(rig.hostFileExists("audio_1.oq"));
    // Both are recorded for the thread view; the composed one at submit.
    EXPECT_EQ(std::count(rig.threads.codes.begin(), rig.threads.codes.end(), kThreadRequestAdd), 1);
    EXPECT_EQ(rig.services.table.get(kCounterQueued), 2);

    // Deleting both leaves the empty queue: exactly ten bytes.
    EXPECT_EQ(rig.deleteById(composedId), 0);
    EXPECT_EQ(rig.deleteById(preparedId), 0);
    EXPECT_EQ(rig.queue.count(), 0u);
    const std::string empty = rig.readHostFile("state.oq");
    EXPECT_EQ(empty, std::string("\x06\x02\x00\x00\x00\x00\x00\x00\x00\xFF", 10));
    EXPECT_FALSE(rig.hostFileExists("item_0.oq"));
    EXPECT_FALSE(rig.hostFileExists("audio_0.oq"));
    EXPECT_FALSE(rig.hostFileExists("item_1.oq"));
    EXPECT_EQ(rig.services.count(kUIRequestMessagesChanged), 2);
}

TEST(OutboundQueueManager, ItemNumbersKeepGrowingAcrossDeletesAndRestarts)
{
    std::string folder;
    {
        QueueRig rig;
        rig.services.data = false;
        rig.start();
        ASSERT_EQ(rig.submit(), 0);
        ASSERT_EQ(rig.submit(), 0);
        EXPECT_EQ(rig.deleteById(rig.lastId()), 0);
        EXPECT_EQ(rig.queue.nextItemNumber(), 2u);
        folder = rig.readHostFile("state.oq");
    }
    QueueRig rig;
    rig.services.data = false;
    rig.writeHostFile("state.oq", folder);
    rig.start();
    ASSERT_EQ(rig.queue.count(), 1u);
    ASSERT_EQ(rig.submit(), 0);
    EXPECT_EQ(rig.queue.entryAt(1).itemNumber, 2u);
    // Restarted within the same second, the id counter starts again, but
    // never at an id the queue holds.
    EXPECT_NE(rig.queue.entryAt(0).summary.messageId, rig.queue.entryAt(1).summary.messageId);
    EXPECT_TRUE(rig.hostFileExists("item_2.oq"));
}

// The selected media go with a composed message: online, phone and card
// items with a text to name them; local ones count one more pending upload
// and are saved by the Local Media Manager, one at a time, before the
// message is stored.
TEST(OutboundQueueManager, TheSelectedMediaGoWithAComposedMessage)
{
    struct Medium {
        std::uint32_t location;
        const char* uid;
        const char* id;
        const char* mimeType;
        bool taken;
        bool local;
        const char* listed = ""; // the location text of a listed item
    };
    const Medium media[] = {
        {1, "u-online", "", "image/jpeg", true, false},
        {(2u << 16) + kLocationKindStoreKind1, "", "p-phone", "video/mp4", true, true},
        // As the Media Access Manager lists a phone item: no location in
        // its media reference.
        {0, "", "p-listed", "image/jpeg", true, true, "10003"},
        {(5u << 16) + kLocationKindStoreKind2, "", "c-card", "image/png", true, true},
        {kLocationKindNoStore, "u-x", "x", "image/png", false, false},
        {1, "", "", "image/png", false, false},
    };
    std::vector<std::unique_ptr<CVXLMediaItem>> items;
    Selection selection;
    for (const Medium& m : media) {
        items.push_back(std::make_unique<CVXLMediaItem>());
        items.back()->setUid(m.uid);
        items.back()->setId(m.id);
        items.back()->setLocation(m.listed);
        items.back()->mediaRef().setValue(static_cast<std::int32_t>(m.location));
        items.back()->mediaRef().setMimeType(m.mimeType);
        selection.items.push_back(items.back().get());
    }
    QueueRig rig;
    rig.services.data = false;
    rig.queue.setSelectionSource(&selection);
    rig.start();
    ASSERT_EQ(rig.submit(), 0);
    std::vector<CVXLMediaItem*> local;
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i]->pendingCount(), media[i].local ? 1 : 0) << i;
        if (media[i].local)
            local.push_back(items[i].get());
    }
    EXPECT_EQ(rig.saved, local);
    const COutboundSummary& summary = rig.queue.entryAt(0).summary;
    EXPECT_EQ(summary.imageCount, 3);
    EXPECT_EQ(summary.videoCount, 1);
    EXPECT_EQ(summary.mediaMimeType, CVXLString("image/jpeg"));
    // Counted by where the last part lives: the memory card.
    EXPECT_EQ(rig.services.table.get(kCounterCardMedia), 4);
    const std::string read = rig.peer();
    EXPECT_TRUE(contains(read, "\"main\": [[1, \"u-online\", \"\"], \"image/jpeg\"]")) << read;
    EXPECT_TRUE(contains(read, "[[131075, \"\", \"p-phone\"], \"video/mp4\"]")) << read;
    EXPECT_TRUE(contains(read, "[[65539, \"\", \"p-listed\"], \"image/jpeg\"]")) << read;
    EXPECT_TRUE(contains(read, "[[327684, \"\", \"c-card\"], \"image/png\"]")) << read;
    EXPECT_FALSE(contains(read, "u-x")) << read;
}

// A refused submit stores nothing and answers 1000, so the composer shows
// its failure, not "being sent".
TEST(OutboundQueueManager, ARefusedSubmitStoresNothing)
{
    struct Case {
        const char* what;
        int held;
        bool toRecipients;
        std::vector<const char*> to;
    };
    const Case cases[] = {
        {"recipient screen without recipients", 0, true, {}},
        {"22 entries held", 22, true, {"+1"}},
        {"22 entries held, album screen", 22, false, {}},
    };
    for (const Case& c : cases) {
        QueueRig rig;
        rig.services.data = false;
        rig.start();
        for (int i = 0; i < c.held; ++i)
            ASSERT_EQ(rig.submit(), 0) << c.what;
        const std::string before = rig.readHostFile("state.oq");
        EXPECT_EQ(rig.queue.isFull(), c.held >= 22) << c.what;
        EXPECT_EQ(rig.submit(c.toRecipients, 1, nullptr, c.to), kResultFailed) << c.what;
        EXPECT_EQ(rig.queue.count(), static_cast<std::uint32_t>(c.held)) << c.what;
        EXPECT_EQ(rig.readHostFile("state.oq"), before) << c.what;
        EXPECT_FALSE(rig.hostFileExists("item_" + std::to_string(c.held) + ".oq")) << c.what;
    }
}

TEST(OutboundQueueManager, ASubmitBeyondTwentyActiveDisplacesTheLowestPriority)
{
    QueueRig rig;
    rig.services.data = false;
    rig.start();
    std::vector<std::string> ids;
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(rig.submit(true, i == 5 ? 0 : (i == 9 ? 2 : 1)), 0);
        ids.push_back(rig.lastId());
    }
    ASSERT_EQ(rig.submit(true, 1), 0);
    EXPECT_EQ(rig.statusOf(ids[5]), 6) << "the low-priority entry goes first";
    // Of equal priorities the oldest; the high one stays.
    ASSERT_EQ(rig.submit(true, 1), 0);
    EXPECT_EQ(rig.statusOf(ids[0]), 6);
    EXPECT_EQ(rig.statusOf(ids[9]), 1);
    std::uint32_t active = 0;
    for (std::uint32_t i = 0; i < rig.queue.count(); ++i)
        active += rig.queue.entryAt(i).active();
    EXPECT_EQ(active, 20u);
    EXPECT_EQ(rig.queue.count(), 22u);
    const std::string read = rig.peer();
    EXPECT_TRUE(contains(read, "\"displaced\": 1")) << read;
    // The listing counts the displaced ones out of the total.
    std::vector<std::unique_ptr<CVXLMessageSummary>> owned;
    COutboxListRequest list(5);
    list.window = 30;
    for (int i = 0; i < 30; ++i) {
        owned.push_back(std::make_unique<CVXLMessageSummary>());
        list.records.push_back(owned.back().get());
    }
    rig.source.post(&rig.queue, &list);
    rig.run();
    EXPECT_EQ(list.filled, 22u);
    EXPECT_EQ(list.total, 20u);
}

// One send and its result, on the driven clock: what becomes of the entry,
// what the Producer hears, and whether the 120 s retry timer runs.
TEST(OutboundQueueManager, EachSendResultDecidesTheEntrysFate)
{
    struct Case {
        const char* what;
        bool toRecipients;
        std::int32_t result;
        std::uint8_t permanent;
        int status; // right after the result; 0 deleted
        int attempts;
        int reportKind; // -1 none
        int reason;
        bool timer;
        int statusLater; // after the next wake-up
    };
    const Case cases[] = {
        {"sent, kept for the thread view", true, 0, 0, 5, 1, -1, 0, false, 5},
        {"sent, not addressed to recipients: deleted", false, 0, 0, 0, 0, -1, 0, false, 0},
        {"84 medium not found: failed at once", true, 84, 0, 3, 3, 1, 83, false, 3},
        {"84, not to recipients: deleted at the next wake-up", false, 84, 0, 3, 3, 1, 83, false, 0},
        {"52 refused: rejected, attempts left", true, 52, 0, 4, 1, 1, 85, false, 0},
        {"52 with the permanent byte: attempts used up", true, 52, 1, 4, 3, 1, 85, false, 0},
        {"94 declined: rejected", true, 94, 0, 4, 3, 1, 85, false, 0},
        {"75 relay refused: reported with its text, retried", true, 75, 0, 1, 1, 0, 75, true, 1},
        {"other: retried after 120 s", true, 65, 0, 1, 1, -1, 0, true, 1},
    };
    for (const Case& c : cases) {
        QueueRig rig;
        rig.start();
        ASSERT_EQ(rig.submit(c.toRecipients), 0) << c.what;
        const std::string id = rig.lastId();
        ASSERT_EQ(rig.sender->items.size(), 1u) << c.what;
        EXPECT_EQ(rig.sender->items[0], "item_0.oq") << c.what;
        EXPECT_EQ(rig.statusOf(id), 2) << c.what;
        // Activity holds the next wake-up back, to see the entry as the
        // result left it.
        rig.services.idle = false;
        ASSERT_TRUE(rig.sender->answer(c.result, "relay says no", c.permanent)) << c.what;
        rig.run();
        EXPECT_EQ(rig.statusOf(id), c.status) << c.what;
        if (c.status != 0) {
            EXPECT_EQ(rig.attemptsOf(id), c.attempts) << c.what;
        }
        if (c.reportKind < 0) {
            EXPECT_TRUE(rig.reports.empty()) << c.what;
        } else {
            ASSERT_EQ(rig.reports.size(), 1u) << c.what;
            EXPECT_EQ(rig.reports[0].kind, c.reportKind) << c.what;
            EXPECT_EQ(rig.reports[0].reason, c.reason) << c.what;
            EXPECT_EQ(rig.reports[0].id, id) << c.what;
            EXPECT_EQ(rig.reports[0].text, "relay says no") << c.what;
        }
        EXPECT_EQ(rig.queue.retryTimerRunning(), c.timer) << c.what;
        rig.services.idle = true;
        rig.driver.root().broadcast(kUIRequestActivityEnded);
        rig.run();
        EXPECT_EQ(rig.statusOf(id), c.statusLater) << c.what;
        EXPECT_EQ(rig.sender->items.size(), 1u) << c.what << ": nothing sent again at once";
        if (c.timer) {
            rig.driver.advance(COutboundQueueManager::kRetryDelayMs - 1);
            rig.run();
            EXPECT_EQ(rig.sender->items.size(), 1u) << c.what;
            rig.driver.advance(1);
            rig.run();
            EXPECT_EQ(rig.sender->items.size(), 2u) << c.what << ": sent again after 120 s";
            EXPECT_EQ(rig.attemptsOf(id), 2) << c.what;
        }
        EXPECT_EQ(rig.hostFileExists("item_0.oq"), c.status != 0 && c.statusLater != 0) << c.what;
        const bool permanent = c.reason == 83 || c.reason == 85;
        EXPECT_EQ(rig.services.table.get(kCounterPermanentFailures), permanent ? 1 : 0) << c.what;
    }
}

TEST(OutboundQueueManager, TheThirdFailedAttemptIsReportedAndEndsTheRetries)
{
    QueueRig rig;
    rig.start();
    ASSERT_EQ(rig.submit(false), 0);
    const std::string id = rig.lastId();
    for (int attempt = 1; attempt <= 3; ++attempt) {
        ASSERT_EQ(rig.sender->items.size(), static_cast<std::size_t>(attempt));
        rig.services.idle = attempt < 3;
        ASSERT_TRUE(rig.sender->answer(65, "timed out"));
        rig.run();
        if (attempt < 3) {
            ASSERT_TRUE(rig.driver.runToNextTimer(20000));
        }
    }
    EXPECT_EQ(rig.statusOf(id), 3);
    ASSERT_EQ(rig.reports.size(), 1u);
    EXPECT_EQ(rig.reports[0].reason, 64);
    EXPECT_EQ(rig.reports[0].attempts, 3);
    EXPECT_EQ(rig.services.table.get(kCounterTransientFailures), 3);
    // Not addressed to recipients: the wake-up after the retry timer
    // deletes it.
    rig.services.idle = true;
    rig.driver.root().broadcast(kUIRequestActivityEnded);
    rig.run();
    EXPECT_EQ(rig.statusOf(id), 3);
    ASSERT_TRUE(rig.driver.runToNextTimer(20000));
    EXPECT_EQ(rig.statusOf(id), 0);
    EXPECT_EQ(rig.sender->items.size(), 3u);
}

// Nothing leaves while the subscriber is busy or data is off; the wake-up
// comes with UI codes 2 (data on) and 7 (activity ended).
TEST(OutboundQueueManager, NothingIsSentDuringActivityOrWithDataOff)
{
    struct Case {
        const char* what;
        bool data;
        bool idle;
        std::int32_t code;
    };
    const Case cases[] = {
        {"data off, then on", false, true, kUIRequestDataCommOn},
        {"activity, then ended", true, false, kUIRequestActivityEnded},
    };
    for (const Case& c : cases) {
        QueueRig rig;
        rig.services.data = c.data;
        rig.services.idle = c.idle;
        rig.start();
        ASSERT_EQ(rig.submit(), 0) << c.what;
        rig.driver.root().broadcast(c.code);
        rig.run();
        EXPECT_TRUE(rig.sender->items.empty()) << c.what << ": flags unchanged";
        // The retry timer's wake-up finds the same.
        rig.driver.advance(COutboundQueueManager::kRetryDelayMs);
        rig.run();
        EXPECT_TRUE(rig.sender->items.empty()) << c.what;
        const auto wakeUps = [&] {
            return std::count(rig.uploader.codes.begin(), rig.uploader.codes.end(),
                COutboundQueueManager::kBackgroundWakeUp);
        };
        EXPECT_EQ(wakeUps(), 0) << c.what;
        rig.services.data = true;
        rig.services.idle = true;
        rig.driver.root().broadcast(c.code);
        rig.run();
        EXPECT_EQ(rig.sender->items.size(), 1u) << c.what;
        // Once the queue has nothing to send, the background uploader may go.
        ASSERT_TRUE(rig.sender->answer(0));
        rig.run();
        EXPECT_EQ(wakeUps(), 1) << c.what;
    }
}

// The outbox rows carry the entries' ids, so a row the screens show can be
// retried and deleted.
TEST(OutboundQueueManager, AnOutboxRowCanBeRetriedAndDeleted)
{
    QueueRig rig;
    rig.start();
    ASSERT_EQ(rig.submit(true, 1), 0);
    rig.services.idle = false;
    ASSERT_TRUE(rig.sender->answer(84, "gone")); // failed, kept in the outbox
    rig.run();
    rig.services.data = false;
    rig.services.idle = true;
    rig.driver.root().broadcast(kUIRequestDataCommOff);
    ASSERT_EQ(rig.submit(true, 2), 0);

    std::vector<std::unique_ptr<CVXLMessageSummary>> owned;
    COutboxListRequest list(5);
    list.window = 5;
    for (int i = 0; i < 5; ++i) {
        owned.push_back(std::make_unique<CVXLMessageSummary>());
        list.records.push_back(owned.back().get());
    }
    rig.source.post(&rig.queue, &list);
    rig.run();
    ASSERT_EQ(list.filled, 2u);
    EXPECT_EQ(list.total, 2u);
    const CVXLMessageSummary& newest = *owned[0];
    const CVXLMessageSummary& failed = *owned[1];
    EXPECT_EQ(std::string(newest.toText().c_str()), "+15551, a@b.c");
    EXPECT_EQ(std::string(newest.subject().c_str()), "Hello");
    EXPECT_EQ(newest.outboundState(), 3);
    EXPECT_EQ(newest.priority(), 2);
    EXPECT_EQ(failed.outboundState(), 5);
    EXPECT_EQ(failed.outboundValue(), 3);

    // The window skips the offset.
    COutboxListRequest window(6);
    window.offset = 1;
    window.window = 1;
    window.records.push_back(owned[4].get());
    rig.source.post(&rig.queue, &window);
    rig.run();
    EXPECT_EQ(window.filled, 1u);
    EXPECT_EQ(owned[4]->messageId(), failed.messageId());

    const std::string failedId = failed.messageId().c_str();
    ASSERT_EQ(rig.retry(failedId), 0);
    EXPECT_EQ(rig.sender->items.size(), 1u) << "data still off";
    rig.services.data = true;
    rig.driver.root().broadcast(kUIRequestDataCommOn);
    rig.run();
    EXPECT_EQ(rig.retry("o-unknown"), kResultTransactionFailed);
    // Both are queued now; the one of higher priority goes first.
    ASSERT_EQ(rig.sender->items.size(), 2u);
    EXPECT_EQ(rig.sender->items[1], "item_1.oq");
    EXPECT_EQ(rig.attemptsOf(failedId), 0);

    // Refresh fills the row again from its entry.
    COutboundRefreshRequest refresh(7);
    refresh.records.push_back(owned[1].get());
    rig.source.post(&rig.queue, &refresh);
    rig.run();
    EXPECT_EQ(owned[1]->outboundState(), 3);
    EXPECT_EQ(owned[1]->outboundValue(), 0);

    rig.services.idle = false;
    ASSERT_TRUE(rig.sender->answer(0));
    rig.run();
    std::uint8_t displaced = 9;
    EXPECT_EQ(rig.deleteById(failedId, &displaced), 0);
    EXPECT_EQ(displaced, 0);
    EXPECT_EQ(rig.statusOf(failedId), 0);
    EXPECT_FALSE(rig.hostFileExists("item_0.oq"));
    EXPECT_EQ(rig.deleteById(failedId), kResultTransactionFailed);
    EXPECT_EQ(rig.services.count(kUIRequestMessagesChanged), 1);
    EXPECT_EQ(rig.threads.codes.back(), kThreadRequestRemove);
}

// A delete asked for while the message is being sent marks it; it goes
// once its result is in, whatever the result.
TEST(OutboundQueueManager, AMessageDeletedWhileSentGoesAfterItsResult)
{
    QueueRig rig;
    rig.start();
    ASSERT_EQ(rig.submit(true), 0);
    const std::string id = rig.lastId();
    ASSERT_EQ(rig.sender->items.size(), 1u);
    std::uint8_t displaced = 0;
    EXPECT_EQ(rig.deleteById(id, &displaced), 0);
    EXPECT_EQ(displaced, 1);
    EXPECT_EQ(rig.statusOf(id), 2);
    ASSERT_TRUE(rig.sender->answer(0));
    rig.run();
    EXPECT_EQ(rig.statusOf(id), 0);
    EXPECT_FALSE(rig.hostFileExists("item_0.oq"));
}

// A copy of a sent message from the relay deletes it, with its thread
// record; an unknown id changes nothing. Request 37 is not served.
TEST(OutboundQueueManager, ASentCopyDeletesItsMessage)
{
    QueueRig rig;
    rig.services.data = false;
    rig.start();
    ASSERT_EQ(rig.submit(), 0);
    const std::string id = rig.lastId();
    for (const std::string& copyOf : {std::string("o-unknown"), id}) {
        CSentCopyReceivedEvent copy;
        copy.clientMessageId = copyOf.c_str();
        rig.source.post(&rig.queue, &copy);
        rig.run();
        EXPECT_FALSE(copy.isBusy());
        EXPECT_EQ(rig.queue.count(), copyOf == id ? 0u : 1u);
    }
    EXPECT_EQ(rig.queue.count(), 0u);
    EXPECT_EQ(rig.threads.codes.back(), kThreadRequestRemove);
    EXPECT_FALSE(rig.hostFileExists("item_0.oq"));
    CVXLEvent unused(kOutboundRequestUnused, 9);
    EXPECT_EQ(rig.ask(unused), kResultNotServed);
}

TEST(OutboundQueueManager, DeleteAllEmptiesTheQueue)
{
    QueueRig rig;
    rig.services.data = false;
    rig.start();
    for (int i = 0; i < 4; ++i)
        ASSERT_EQ(rig.submit(), 0);
    CVXLEvent request(kOutboundRequestDeleteAll, 8);
    EXPECT_EQ(rig.ask(request), 0);
    EXPECT_EQ(rig.queue.count(), 0u);
    EXPECT_EQ(rig.peer(),
        std::string("{\"count\": 0, \"current\": -1, \"entries\": [], \"next\": 4, \"orphans\": []}"));
}

// A failed step of a submit takes the entry back and removes what was
// written; the voice memo hears which step failed.
TEST(OutboundQueueManager, AFailedSubmitLeavesNothingBehind)
{
    struct Case {
        const char* what;
        const char* blocked; // a folder in the way of this file
        bool memo;
        std::vector<std::int32_t> told;
    };
    const Case cases[] = {
        {"item file", "item_0.oq", true, {5}},
        {"audio file", "audio_0.oq", true, {6}},
        {"state file", "state.oq", false, {}},
    };
    for (const Case& c : cases) {
        QueueRig rig;
        rig.services.data = false;
        rig.start();
        ASSERT_EQ(::mkdir(rig.hostFile(c.blocked).c_str(), 0700), 0) << c.what;
        StringVoiceMemo memo;
        memo.bytes = "voice";
        EXPECT_NE(rig.submit(true, 1, c.memo ? &memo : nullptr), 0) << c.what;
        EXPECT_EQ(rig.queue.count(), 0u) << c.what;
        EXPECT_EQ(memo.told, c.told) << c.what;
        ::rmdir(rig.hostFile(c.blocked).c_str());
        EXPECT_FALSE(rig.hostFileExists("item_0.oq")) << c.what;
        EXPECT_FALSE(rig.hostFileExists("audio_0.oq")) << c.what;
        // The next submit works.
        EXPECT_EQ(rig.submit(true, 1, nullptr), 0) << c.what;
        EXPECT_EQ(rig.queue.count(), 1u) << c.what;
    }
}

// The loader takes "state.oq" only whole; a whole one has files that no
// entry names removed.
TEST(OutboundQueueManager, TheLoaderTakesOnlyAWholeFile)
{
    COutboundQueueEntry entries[2];
    for (int i = 0; i < 2; ++i) {
        entries[i].kind = 1;
        entries[i].itemNumber = static_cast<std::uint32_t>(i) + 3;
        entries[i].toRecipients = 1;
        entries[i].summary.messageId = i == 0 ? "oA-0" : "oA-1";
        entries[i].summary.recipients = "+1";
    }
    CVXLByteBuffer whole;
    COutboundQueueManager::serialise(entries, 2, 5, -1, whole);
    const std::string good = stringOf(whole);
    std::string count23 = good;
    count23[5] = 23;
    struct Case {
        const char* what;
        std::string bytes;
        std::uint32_t loaded;
    };
    std::string badKind = good;
    badKind[10] = 0;
    std::string numberInUse = good;
    numberInUse[1] = 4; // next item number 4: item 4 would be handed out again
    const Case cases[] = {
        {"whole", good, 2},
        {"format 5", std::string(1, '\x05') + good.substr(1), 0},
        {"cut in the last summary", good.substr(0, good.size() - 3), 0},
        {"a byte after the last entry", good + "x", 0},
        {"count above 22", count23, 0},
        {"entry of kind 0", badKind, 0},
        {"item number not below the next one", numberInUse, 0},
        {"empty", "", 0},
        {"header only", good.substr(0, 9), 0},
    };
    for (const Case& c : cases) {
        QueueRig rig;
        rig.services.data = false;
        rig.writeHostFile("state.oq", c.bytes);
        rig.writeHostFile("item_3.oq", "three");
        rig.writeHostFile("item_4.oq", "four");
        rig.writeHostFile("item_1.oq", "orphan");
        rig.writeHostFile("audio_1.oq", "orphan");
        rig.start();
        EXPECT_EQ(rig.queue.count(), c.loaded) << c.what;
        const bool swept = c.loaded != 0;
        EXPECT_EQ(rig.hostFileExists("item_1.oq"), !swept) << c.what;
        EXPECT_EQ(rig.hostFileExists("audio_1.oq"), !swept) << c.what;
        EXPECT_TRUE(rig.hostFileExists("item_3.oq")) << c.what;
        // A damaged file is kept aside before a save replaces it.
        const bool damaged = !swept && !c.bytes.empty();
        EXPECT_EQ(rig.hostFileExists("state.oq.bad"), damaged) << c.what;
        if (damaged) {
            EXPECT_EQ(rig.readHostFile("state.oq.bad"), c.bytes) << c.what;
        }
        if (swept) {
            EXPECT_EQ(rig.queue.entryAt(1).summary.messageId, CVXLString("oA-1")) << c.what;
            EXPECT_EQ(rig.queue.nextItemNumber(), 5u) << c.what;
        }
    }
}

// After a restart the thread database learns again of entries it lost, with
// the recipients split as they were joined.
TEST(OutboundQueueManager, TheLoadRecordsLostEntriesInTheThreadDatabaseAgain)
{
    COutboundQueueEntry entries[2];
    entries[0].kind = 1;
    entries[0].itemNumber = 0;
    entries[0].toRecipients = 1;
    entries[0].summary.messageId = "oA-0";
    entries[0].summary.recipients = "+1, a@b.c, +1";
    entries[1].kind = 2;
    entries[1].itemNumber = 1;
    entries[1].attempts = 3;
    entries[1].toRecipients = 1;
    entries[1].summary.messageId = "oA-1";
    entries[1].summary.recipients = "+2,+3";
    CVXLByteBuffer bytes;
    COutboundQueueManager::serialise(entries, 2, 2, -1, bytes);
    QueueRig rig;
    rig.services.data = false;
    rig.writeHostFile("state.oq", stringOf(bytes));
    std::vector<std::vector<std::string>> added;
    rig.threads.handler = [&](TraceJob& job, CVXLEvent* event) {
        if (event->requestCode() == kThreadRequestReconcile) {
            auto* reconcile = static_cast<CThreadReconcileRequest*>(event);
            EXPECT_EQ(reconcile->outboundFamily, 1);
            EXPECT_EQ(reconcile->ids.count(), 2u);
            reconcile->unknownIds.insertAt("oA-0", 0);
            reconcile->unknownIds.insertAt("oA-1", 1);
        } else if (event->requestCode() == kThreadRequestAdd) {
            auto* add = static_cast<CThreadAddRequest*>(event);
            std::vector<std::string> row {add->messageId.c_str()};
            for (std::uint32_t i = 0; i < add->recipients.count(); ++i)
                row.emplace_back(add->recipients.at(static_cast<int>(i)).c_str());
            added.push_back(row);
        }
        job.finishEvent(event);
    };
    rig.services.deleteSent = true;
    rig.start();
    // Where sent messages are not kept, those found not queued are reported.
    ASSERT_EQ(rig.reports.size(), 1u);
    EXPECT_EQ(rig.reports[0].id, "oA-1");
    EXPECT_EQ(rig.reports[0].reason, 97);
    const std::vector<std::vector<std::string>> expected {
        {"oA-1", "+2", "+3"},
        {"oA-0", "+1", "a@b.c"},
    };
    EXPECT_EQ(added, expected);
}

} // namespace
