// A second process for crash tests of the stored messaging files: it changes
// a file for ever, to be killed at any moment. Exit status 2 means bad usage.
//
//   msgcrash threaddb       add a message to the thread database and let it
//                           save, again and again (files of the file store)
//   msgcrash copy NAME      rewrite the file store's NAME in place as all of
//                           itself followed by one "+", again and again
//   msgcrash store          store, append whole, read, rewrite summaries of
//                           and delete messages of the message store, again
//                           and again; the free budget runs short now and then,
//                           so media parts are stripped. A journal on stdout:
//                           "stored ID" once a new message is in place,
//                           "deleting ID" before and "deleted ID" after a delete
//   msgcrash pushqueue TAG  load "state.wq", then push "TAG-N" (N = 0, 1, ...)
//                           and take the head once more than 10 are held,
//                           again and again; every change saves the queue
//   msgcrash outqueue SEED  load the outbound queue, then submit messages
//                           (some with a voice memo), send them through a
//                           stand-in sender that answers sent or timed out,
//                           and delete some, again and again. A journal on
//                           stdout: "loaded N", "stored ID" once a submit is
//                           answered, "sending ID" when the sender has it,
//                           "deleting ID" before a delete is asked for or a
//                           sent result given, "deleted ID" once it is done
//   msgcrash outqueue-load  load the outbound queue and end cleanly
//   msgcrash threadstore N  load the thread database (file store) and the
//                           message store, reconciled, store previews from 50
//                           senders until the inbox holds N ("filled N"),
//                           then store one and delete the oldest, again and
//                           again, the database saving every few changes.
//                           Journal as for store
//   msgcrash premium TAG    load "state.pq", then add "pTAG_N" (N = 0, 1, ...)
//                           to the group "gTAG_(N/4)" and remove the oldest
//                           while more than 10 are held, again and again;
//                           every change saves the premium inbox

#include "engine/core/jobs/VXLEngineClock.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/platform/VXLPlatformFileStore.h"
#include "engine/core/platform/VXLPlatformMessageStore.h"
#include "engine/core/scenario/ScenarioLayout.h"
#include "engine/files/VXLFileStoreManager.h"
#include "engine/messaging/outbound/OutboundQueueManager.h"
#include "engine/messaging/premium/PremiumAddRequest.h"
#include "engine/messaging/premium/PremiumInboxManager.h"
#include "engine/messaging/push/WapPushQueue.h"
#include "engine/messaging/push/WapPushRequest.h"
#include "engine/messaging/store/MessageStoreManager.h"
#include "engine/messaging/store/VXLFileCopyJob.h"
#include "engine/messaging/threads/VXLThreadDB.h"
#include "engine/records/VXLInboundRequests.h"
#include "engine/transport/mime/VXLMultipartBody.h"
#include "tests/support/StringVoiceMemo.h"
#include "tests/support/ThreadStoreRig.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <random>
#include <set>
#include <string>
#include <sys/stat.h>

namespace {

class Root : public CVXLEventHandler {
public:
    Root() { setRoot(this); }
};

class Services : public CVXLThreadDB::Services {
public:
    CVXLString ownNumber() const override { return "+15550000"; }
    void setNewMessageCount(std::uint32_t) override { }
};

CVXLEngineClock gClock;
Root* gRoot = nullptr;

void runUntilIdle()
{
    for (int steps = 0; steps < 10000; ++steps) {
        gClock.setInTick(true);
        gRoot->step();
        gClock.setInTick(false);
        if (gRoot->runState() != kHandlerRunnable && gRoot->nextTimeout() != 0)
            return;
    }
}

int saveThreadDatabase()
{
    CVXLPlatformFileStore store;
    CVXLFileStoreManager files;
    files.setFileStore(&store);
    Services services;
    CVXLThreadDB db;
    db.setFileStoreManager(&files);
    db.setServices(&services);
    CVXLEventHandler requester;
    gRoot->startChild(&files);
    gRoot->startChild(&requester);
    gRoot->startChild(&db);
    runUntilIdle();
    std::fprintf(stdout, "started\n");
    std::fflush(stdout);
    for (std::uint32_t n = 0;; ++n) {
        CThreadAddRequest add(90);
        add.messageId = ("i" + std::to_string(1700000000u + n) + "_0").c_str();
        add.sender = ("+1555" + std::to_string(n % 50)).c_str();
        add.sentTime = n;
        requester.post(&db, &add);
        runUntilIdle();
        gClock.advance(CVXLThreadDB::kSaveDelayMs);
        runUntilIdle();
    }
}

int copyForEver(const char* name)
{
    CVXLPlatformFileStore store;
    CVXLFileCopyJob job;
    CVXLEventHandler requester;
    gRoot->startChild(&requester);
    gRoot->startChild(&job);
    runUntilIdle();
    CVXLPlatformFileStream* file = store.openStream();
    CVXLString host;
    platformHostPath(store.folder(), &host);
    const std::string path = std::string(host.c_str()) + "/" + name;
    for (;;) {
        struct stat info { };
        if (::stat(path.c_str(), &info) != 0)
            return 1;
        CVXLCopyRequest copy(91);
        copy.source = file;
        copy.sourcePath = name;
        copy.count = static_cast<std::uint32_t>(info.st_size);
        copy.trailer.append("+", 1);
        requester.post(&job, &copy);
        runUntilIdle();
    }
}

// The budget runs short once the store holds about 120 KB.
class ShortStore : public CVXLPlatformMessageStore {
public:
    void info(CVXLCallback* sink) override
    {
        const std::uint32_t used = manager ? manager->usage() : 0;
        vxlReport(sink, 0);
        vxlReport(sink, used < 120000 ? 120000 - used : 0);
        vxlReport(sink, 0);
    }
    const CMessageStoreManager* manager = nullptr;
};

class StoreServices : public CMessageStoreManager::Services {
public:
    std::uint32_t messageLimit() override { return 100; }
    void setCounter(const char*, std::uint32_t) override { }
    void setHasNewMessages() override { }
    std::uint32_t nowSeconds() override { return platformClockSeconds(); }
};

CVXLEntityRef textPart(const char* type, std::size_t size, char fill)
{
    auto* part = new CVXLMimeEntity;
    part->addHeader("Content-Type", type);
    CVXLByteBuffer body;
    const std::string bytes(size, fill);
    body.append(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    part->setBodyBuffer(body);
    return CVXLEntityRef(part);
}

void journal(const char* what, const CVXLString& id)
{
    std::fprintf(stdout, "%s %s\n", what, id.c_str());
    std::fflush(stdout);
}

int storeForEver()
{
    ShortStore store;
    StoreServices services;
    CMessageStoreManager manager;
    store.manager = &manager;
    manager.setStore(&store);
    manager.setServices(&services);
    CVXLEventHandler requester;
    gRoot->startChild(&requester);
    gRoot->startChild(&manager);
    runUntilIdle();
    std::fprintf(stdout, "started\n");
    std::fflush(stdout);
    const std::uint32_t boxes[] = {0, 3, 2, 1};
    for (std::uint32_t n = 0;; ++n) {
        CVXLMessage message;
        message.addHeader("X-QV-From-Address", ("+1555" + std::to_string(n % 7)).c_str());
        message.addHeader("X-QV-To-Address-List", "5551111");
        message.addHeader("X-QV-Message-Sent-Time", std::to_string(1700000000u + n).c_str());
        message.setBody(textPart("text/plain", 200 + n % 300, 'a'));
        CStoreMessageRequest first(92);
        first.message = &message;
        first.targetBox = boxes[n % 4];
        requester.post(&manager, &first);
        runUntilIdle();
        const CVXLString id = first.messageId;
        if (!id.length())
            continue;
        journal("stored", id);

        auto* body = new CVXLMultipartBody;
        for (int p = 0; p < 3; ++p)
            body->appendPart(
                textPart("image/jpeg", 3000 + (n * 997 + p * 131) % 9000, static_cast<char>('A' + p)));
        CVXLMessage whole;
        whole.addHeader("X-Mms-Message-Type", "m-retrieve-conf");
        whole.setBody(CVXLEntityRef(body));
        CStoreMessageRequest append(93);
        append.messageId = id;
        append.fullMessage = 1;
        append.message = &whole;
        requester.post(&manager, &append);
        runUntilIdle();

        if (n % 3 == 0 && manager.boxCount(0)) {
            CStoreSummaryRewriteRequest rewrite(94);
            rewrite.messageId = manager.boxIdAt(0, manager.boxCount(0) - 1);
            rewrite.headers.add("X-QV-From-Address", "+15550000");
            rewrite.headers.add("X-QV-Message-Sent-Time", std::to_string(n).c_str());
            requester.post(&manager, &rewrite);
            runUntilIdle();
        }
        if (n % 4 == 1 && manager.boxCount(0)) {
            CStoreReadRequest read(95);
            read.mode = 5;
            read.read.messageId = manager.boxIdAt(0, 0);
            requester.post(&manager, &read);
            runUntilIdle();
        }
        for (std::uint32_t kind : {0u, 3u}) {
            if (manager.boxCount(kind) <= 6)
                continue;
            CStoreDeleteRequest remove(96);
            remove.messageId = manager.boxIdAt(kind, manager.boxCount(kind) - 1);
            journal("deleting", remove.messageId);
            requester.post(&manager, &remove);
            runUntilIdle();
            journal("deleted", remove.messageId);
        }
    }
}

} // namespace

int pushForEver(const std::string& tag)
{
    CVXLPlatformFileStore store;
    CVXLFileStoreManager files;
    files.setFileStore(&store);
    CWapPushQueue queue;
    queue.setFileStoreManager(&files);
    CVXLEventHandler source;
    gRoot->startChild(&files);
    gRoot->startChild(&source);
    gRoot->startChild(&queue);
    runUntilIdle();
    std::fprintf(stdout, "loaded %u\n", queue.count());
    std::fflush(stdout);
    for (std::uint32_t n = 0;; ++n) {
        auto* request = new CWapPushRequest;
        request->setReplyWanted(false);
        const std::string pdu = tag + "-" + std::to_string(n);
        request->item.pdu.append(pdu.data(), static_cast<std::uint32_t>(pdu.size()));
        source.post(&queue, request);
        runUntilIdle();
        if (queue.count() > 10)
            queue.popHead(nullptr);
        runUntilIdle();
    }
}

class QueueServices : public COutboundQueueManager::Services {
public:
    // Each run starts a day after the last: ids, made of the time and a
    // counter, never repeat although the runs follow each other quickly.
    std::uint32_t nowSeconds() override { return base + gClock.tickTime() / 1000; }
    std::uint32_t base = static_cast<std::uint32_t>(std::time(nullptr));
    bool dataCommAllowed() override { return true; }
    bool hasNoActivity() override { return true; }
    CVXLString ownNumber() override { return "+15550000"; }
    bool deleteSentMessages() override { return false; }
    void pushUIRequestCode(std::int32_t) override { }
    CVXLCounterTable* counters() override { return &table; }

    CVXLCounterTable table;
};

// Holds each send until the loop answers it.
class HeldSender : public CVXLEventHandler {
public:
    void onEvent(CVXLEvent* event) override
    {
        if (event->kind() != kEventReply && event->requestCode() == kEventOutboundSend) {
            pending = event;
            return;
        }
        finishEvent(event);
    }
    void answer(std::int32_t result)
    {
        auto* report = new COutboundSendResult;
        report->setReplyWanted(false);
        report->setResult(result);
        post(parent(), report);
        CVXLEvent* request = pending;
        pending = nullptr;
        finishEvent(request);
    }

    CVXLEvent* pending = nullptr;
};

// Records the answers to its requests (finishing one clears its result).
class Asker : public CVXLEventHandler {
public:
    void onEvent(CVXLEvent* event) override
    {
        if (event->kind() == kEventReply)
            answered.push_back(event->result());
        finishEvent(event);
    }
    std::vector<std::int32_t> answered;
};

std::set<std::string> idsOf(const COutboundQueueManager& queue)
{
    std::set<std::string> ids;
    for (std::uint32_t i = 0; i < queue.count(); ++i)
        ids.insert(queue.entryAt(i).summary.messageId.c_str());
    return ids;
}

// Runs until idle, letting the retry timer's time pass when nothing else
// is due.
void settle()
{
    runUntilIdle();
    const std::uint32_t wait = gRoot->nextTimeout();
    if (wait != 0 && wait < 200000) {
        gClock.advance(wait);
        runUntilIdle();
    }
}

int outboundQueue(bool forEver, std::uint32_t seed)
{
    CVXLPlatformFileStore store;
    CVXLFileStoreManager files;
    files.setFileStore(&store);
    QueueServices services;
    services.base += seed * 86400;
    auto* sender = new HeldSender;
    COutboundQueueManager queue {std::unique_ptr<CVXLEventHandler>(sender)};
    queue.setServices(&services);
    queue.setFileStoreManager(&files);
    queue.setPlatformStore(&store);
    Asker asker;
    CScenarioLayout screen;
    screen.setId("__vxl_post_to_album");
    gRoot->startChild(&files);
    gRoot->startChild(&asker);
    gRoot->startChild(&queue);
    runUntilIdle();
    std::fprintf(stdout, "loaded %u\n", queue.count());
    std::fflush(stdout);
    if (!forEver)
        return 0;
    std::mt19937 random(seed);
    std::set<std::string> deleting;
    for (;;) {
        if (queue.count() < 12 && random() % 2 == 0) {
            COutboundSubmitRequest request(1);
            request.screen = &screen;
            request.recipients.insertAt(("+1555" + std::to_string(random() % 1000)).c_str(), 0);
            request.priority = static_cast<std::uint8_t>(random() % 3);
            StringVoiceMemo memo(std::string(1000 + random() % 3000, static_cast<char>('a' + random() % 26)));
            if (random() % 3 == 0)
                request.voiceMemo = &memo;
            asker.answered.clear();
            asker.post(&queue, &request);
            runUntilIdle();
            if (!asker.answered.empty() && asker.answered.back() == 0)
                journal("stored", queue.entryAt(queue.count() - 1).summary.messageId);
        }
        if (sender->pending) {
            CVXLString id;
            std::uint32_t attempts = 0;
            for (std::uint32_t i = 0; i < queue.count(); ++i) {
                if (queue.entryAt(i).sending) {
                    id = queue.entryAt(i).summary.messageId;
                    attempts = queue.entryAt(i).attempts;
                }
            }
            journal("sending", id);
            // A third failure would have the queue give the message up.
            if (attempts >= 2 || random() % 3 != 0) {
                deleting.insert(id.c_str());
                journal("deleting", id);
                sender->answer(0);
            } else {
                sender->answer(65);
            }
        }
        if (queue.count() > 4 && random() % 4 == 0) {
            const COutboundQueueEntry& e = queue.entryAt(random() % queue.count());
            if (!e.sending) {
                CMessageItemRequest request(2);
                request.messageId = e.summary.messageId;
                deleting.insert(e.summary.messageId.c_str());
                journal("deleting", e.summary.messageId);
                asker.post(&queue, &request);
                runUntilIdle();
            }
        }
        settle();
        const std::set<std::string> held = idsOf(queue);
        for (auto it = deleting.begin(); it != deleting.end();) {
            if (!held.count(*it) && queue.sendState() == 0) {
                journal("deleted", CVXLString(it->c_str()));
                it = deleting.erase(it);
            } else {
                ++it;
            }
        }
    }
}

int premiumForEver(const std::string& tag)
{
    CVXLPlatformFileStore store;
    CVXLFileStoreManager files;
    files.setFileStore(&store);
    CPremiumInboxManager premium;
    premium.setFileStoreManager(&files);
    CVXLEventHandler source;
    gRoot->startChild(&files);
    gRoot->startChild(&source);
    gRoot->startChild(&premium);
    while (!premium.isLoaded())
        runUntilIdle();
    std::fprintf(stdout, "loaded %u\n", premium.entryCount());
    std::fflush(stdout);
    for (std::uint32_t n = 0;; ++n) {
        auto* add = new CPremiumAddRequest;
        add->messageId = ("p" + tag + "_" + std::to_string(n)).c_str();
        add->descriptor
            = ("<premium id=\"g" + tag + "_" + std::to_string(n / 4) + "\" name=\"" + tag + "\"/>").c_str();
        const std::uint32_t before = premium.entryCount();
        source.post(&premium, add);
        // Steps until the change is made, so that one remove follows each add.
        while (premium.entryCount() == before)
            runUntilIdle();
        while (premium.entryCount() > 10) {
            auto* remove = new CStoreDeleteRequest(CPremiumInboxManager::kRequestRemove);
            remove->setRequestCode(CPremiumInboxManager::kRequestRemove);
            remove->setReplyWanted(false);
            remove->messageId = premium.entryAt(0)->messageId;
            const std::uint32_t held = premium.entryCount();
            source.post(&premium, remove);
            while (premium.entryCount() == held)
                runUntilIdle();
        }
    }
}

int threadStoreForEver(std::uint32_t size)
{
    CVXLPlatformFileStore fileStore;
    CVXLPlatformMessageStore store;
    ThreadStoreRig rig(&fileStore, &store);
    CVXLFileStoreManager& files = rig.files;
    CVXLThreadDB& db = rig.db;
    CMessageStoreManager& manager = rig.manager;
    CVXLEventHandler requester;
    gRoot->startChild(&files);
    gRoot->startChild(&requester);
    gRoot->startChild(&db);
    gRoot->startChild(&manager);
    for (int i = 0; i < 1000 && !rig.ready(); ++i)
        runUntilIdle();
    std::fprintf(stdout, "started %u %u\n", manager.boxCount(0), db.messageCount());
    std::fflush(stdout);
    bool filled = false;
    for (std::uint32_t n = 0;; ++n) {
        if (!filled && manager.boxCount(0) >= size) {
            filled = true;
            std::fprintf(stdout, "filled %u\n", manager.boxCount(0));
            std::fflush(stdout);
        }
        CVXLMessage message;
        message.addHeader("X-QV-From-Address", ("+1555" + std::to_string(n % 50)).c_str());
        message.addHeader("X-QV-To-Address-List", "5551111");
        message.addHeader("X-QV-Message-Sent-Time", std::to_string(platformClockSeconds()).c_str());
        message.setBody(textPart("text/plain", 100 + n % 200, 'a'));
        CStoreMessageRequest request(92);
        request.message = &message;
        requester.post(&manager, &request);
        runUntilIdle();
        if (request.messageId.length())
            journal("stored", request.messageId);
        if (filled && manager.boxCount(0) > size) {
            CStoreDeleteRequest remove(96);
            remove.messageId = manager.boxIdAt(0, manager.boxCount(0) - 1);
            journal("deleting", remove.messageId);
            requester.post(&manager, &remove);
            runUntilIdle();
            journal("deleted", remove.messageId);
        }
        if (n % 3 == 0) {
            gClock.advance(CVXLThreadDB::kSaveDelayMs);
            runUntilIdle();
        }
    }
}

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    gRoot = new Root;
    gRoot->setClock(&gClock);
    const std::string command = argv[1];
    if (command == "threaddb")
        return saveThreadDatabase();
    if (command == "copy" && argc == 3)
        return copyForEver(argv[2]);
    if (command == "store")
        return storeForEver();
    if (command == "pushqueue" && argc == 3)
        return pushForEver(argv[2]);
    if (command == "outqueue" && argc == 3)
        return outboundQueue(true, static_cast<std::uint32_t>(std::stoul(argv[2])));
    if (command == "outqueue-load")
        return outboundQueue(false, 0);
    if (command == "threadstore" && argc == 3)
        return threadStoreForEver(static_cast<std::uint32_t>(std::stoul(argv[2])));
    if (command == "premium" && argc == 3)
        return premiumForEver(argv[2]);
    return 2;
}
