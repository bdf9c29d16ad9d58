// Runs the Background Upload Manager over the real File Store Manager, with
// stand-ins for the Local Media Manager (every item resolves and saves) and
// the Media Upload Manager (each upload is one line "NAME" appended to
// UPLOADS and flushed to disk before it is answered). The four keys are kept
// in KEYS, replaced whole after every engine step that changed them, as the
// Client keeps its settings file.
//
//   uploadcrash queue KEYS UPLOADS SPIN   queues batches of five items
//                                         ("g<batch>-<n>") without end; a
//                                         thread of its own kills the process
//                                         with SIGKILL after SPIN turns of a
//                                         busy loop
//   uploadcrash drain KEYS UPLOADS        resumes from KEYS and uploads until
//                                         the queue is empty; prints the keys
//
// Exit status 2: bad usage; 1: a batch failed or the queue did not drain.

#include "engine/access/BackgroundUploadManager.h"
#include "engine/core/jobs/VXLEngineClock.h"
#include "engine/core/jobs/VXLEventCodes.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/core/settings/VXLPersStore.h"
#include "engine/media/VXLMediaLocation.h"
#include "tests/support/UploadQueueEngine.h"
#include "tests/tools/SelfKill.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace {

const char* const kKeys[]
    = {kPersBkgUploadCursor, kPersBkgUploadRetries, kPersBkgUploadCountInphone, kPersBkgUploadCountExternal};

class Root : public CVXLEventHandler {
public:
    Root() { setRoot(this); }
};

class Requester : public CVXLEventHandler {
public:
    void onEvent(CVXLEvent* event) override
    {
        lastResult = event->result();
        finishEvent(event);
    }
    std::int32_t lastResult = 0;
};

// Writes a line to the end of a file and flushes it to disk.
bool appendLine(const std::string& path, const std::string& line)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const std::string text = line + "\n";
    const bool ok
        = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) && ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

class Uploader : public CVXLEventHandler {
public:
    explicit Uploader(std::string path)
        : path_(std::move(path))
    {
    }
    void onEvent(CVXLEvent* event) override
    {
        auto* request = dynamic_cast<CMediaUploadRequest*>(event);
        if (request && !request->items.empty())
            request->setResult(appendLine(path_, request->items[0].identity.c_str()) ? 0 : 1000);
        finishEvent(event);
    }

private:
    std::string path_;
};

std::string keyText(const CVXLPersStore& keys)
{
    std::string text;
    for (const char* key : kKeys) {
        CVXLString value;
        keys.get(key, &value);
        text += std::string(key) + "=" + (value.length() ? value.c_str() : "0") + "\n";
    }
    return text;
}

// Replaces the keys file whole: written beside it, flushed, renamed.
bool saveKeys(const std::string& path, const CVXLPersStore& keys)
{
    const std::string temporary = path + ".new";
    const std::string text = keyText(keys);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool ok
        = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) && ::fsync(fd) == 0;
    ::close(fd);
    return ok && ::rename(temporary.c_str(), path.c_str()) == 0;
}

void loadKeys(const std::string& path, CVXLPersStore& keys)
{
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        const auto at = line.find('=');
        if (at != std::string::npos)
            keys.set(line.substr(0, at).c_str(), line.substr(at + 1).c_str());
    }
}

} // namespace

int main(int argc, char** argv)
{
    const bool queue = argc == 5 && std::strcmp(argv[1], "queue") == 0;
    const bool drain = argc == 4 && std::strcmp(argv[1], "drain") == 0;
    if (!queue && !drain)
        return 2;
    const std::string keysPath = argv[2];
    CVXLEngineClock clock;
    Root root;
    root.setClock(&clock);
    UploadQueueEngine engine;
    Uploader uploader(argv[3]);
    engine.dataOn = true;
    engine.uploader = &uploader;
    loadKeys(keysPath, engine.keys);
    std::uint32_t savedChanges = engine.keys.changeCount();
    CBackgroundUploadManager manager;
    manager.setOwner(&engine);
    Requester requester;
    root.startChild(&engine.files);
    root.startChild(&engine.local);
    root.startChild(&uploader);
    root.startChild(&manager);
    root.startChild(&requester);
    auto step = [&] {
        clock.setInTick(true);
        root.step();
        clock.setInTick(false);
        if (engine.keys.changeCount() != savedChanges) {
            if (!saveKeys(keysPath, engine.keys))
                std::exit(1);
            savedChanges = engine.keys.changeCount();
        }
    };
    if (drain) {
        for (int i = 0; i < 1000000; ++i) {
            step();
            if (i > 100 && manager.cursor() == 0 && !manager.hasPending()
                && manager.uploadState() == CBackgroundUploadManager::Upload::Idle) {
                std::printf("%s", keyText(engine.keys).c_str());
                return 0;
            }
        }
        return 1;
    }
    std::atomic<bool> started {false};
    killAfterSpin(std::strtoul(argv[4], nullptr, 10), started);
    const std::uint32_t phone = (1u << 16) + kLocationKindStoreKind1;
    for (int batch = 1; batch < 100000; ++batch) {
        CMediaUploadRequest request(1);
        request.name = "Album";
        for (int n = 1; n <= 5; ++n)
            request.addItem({phone, "", ("g" + std::to_string(batch) + "-" + std::to_string(n)).c_str()});
        requester.post(&manager, &request);
        while (request.isBusy())
            step();
        if (requester.lastResult != 0)
            return 1;
        started.store(true);
        // A few steps of uploading between batches: the queue grows.
        for (int i = 0; i < 3; ++i)
            step();
    }
    return 1;
}
