// A second process for crash tests of the stored messaging files: it changes
// a file for ever, to be killed at any moment. Exit status 2 means bad usage.
//
//   msgcrash threaddb       add a message to the thread database and let it
//                           save, again and again (files of the file store)
//   msgcrash copy NAME      rewrite the file store's NAME in place as all of
//                           itself followed by one "+", again and again

#include "engine/core/jobs/VXLEngineClock.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/platform/VXLPlatformFileStore.h"
#include "engine/files/VXLFileStoreManager.h"
#include "engine/messaging/VXLFileCopyJob.h"
#include "engine/messaging/VXLThreadDB.h"

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

} // namespace

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
    return 2;
}
