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
//   msgcrash premium TAG    load "state.pq", then add "pTAG_N" (N = 0, 1, ...)
//                           to the group "gTAG_(N/4)" and remove the oldest
//                           while more than 10 are held, again and again;
//                           every change saves the premium inbox

#include "engine/core/jobs/VXLEngineClock.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/platform/VXLPlatformFileStore.h"
#include "engine/core/platform/VXLPlatformMessageStore.h"
#include "engine/files/VXLFileStoreManager.h"
#include "engine/messaging/MessageStoreManager.h"
#include "engine/messaging/PremiumAddRequest.h"
#include "engine/messaging/PremiumInboxManager.h"
#include "engine/messaging/VXLFileCopyJob.h"
#include "engine/messaging/VXLThreadDB.h"
#include "engine/messaging/WapPushQueue.h"
#include "engine/messaging/WapPushRequest.h"
#include "engine/transport/mime/VXLMultipartBody.h"

#include <cstdio>
#include <string>
#include <sys/stat.h>

namespace {

class Root : public CVXLEventHandler {
public:
    Root() { setRoot(this); }
};

class Services : public CVXLThreadDBServices {
public:
    CVXLString ownNumber() const override { return "+15550000"; }
    void setNewMessageCount(std::uint32_t) override {}
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
        struct stat info {};
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

class StoreServices : public CMessageStoreServices {
public:
    std::uint32_t messageLimit() override { return 100; }
    void setCounter(const char*, std::uint32_t) override {}
    void setHasNewMessages() override {}
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
    const std::uint32_t boxes[] = { 0, 3, 2, 1 };
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
            body->appendPart(textPart("image/jpeg", 3000 + (n * 997 + p * 131) % 9000, static_cast<char>('A' + p)));
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
        for (std::uint32_t kind : { 0u, 3u }) {
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
        add->descriptor = ("<premium id=\"g" + tag + "_" + std::to_string(n / 4) + "\" name=\"" + tag + "\"/>").c_str();
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

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    CVXLEngineClock::setCurrent(&gClock);
    gRoot = new Root;
    const std::string command = argv[1];
    if (command == "threaddb")
        return saveThreadDatabase();
    if (command == "copy" && argc == 3)
        return copyForEver(argv[2]);
    if (command == "store")
        return storeForEver();
    if (command == "pushqueue" && argc == 3)
        return pushForEver(argv[2]);
    if (command == "premium" && argc == 3)
        return premiumForEver(argv[2]);
    return 2;
}
