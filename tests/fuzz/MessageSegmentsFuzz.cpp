// Runs the message segment reader over the input as a stored message file
// (in a device root on a memory file system where there is one). The first
// bytes choose the segment range and whether both parts are wanted. Every
// segment handed over must lie inside the file, and the request must end with
// success or the end-of-data status, its file given back.
#include "engine/core/jobs/VXLEngineClock.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/platform/VXLPlatform.h"
#include "engine/core/platform/VXLPlatformFileStore.h"
#include "engine/core/platform/VXLPlatformStatus.h"
#include "engine/messaging/store/VXLMessageSegmentReaderJob.h"
#include "platform/kernel/DeviceRoot.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

class Root : public CVXLEventHandler {
public:
    Root() { setRoot(this); }
};

class Requester : public CVXLEventHandler {
public:
    void onEvent(CVXLEvent* event) override
    {
        if (event->isRequest() && event->requestCode() == kEventSegment) {
            const auto* s = static_cast<CVXLSegmentEvent*>(event);
            if (std::uint64_t(s->secondPartOffset) + s->secondLength > fileSize
                || s->firstPart.length() != s->firstLength)
                std::abort();
        } else if (event->requestCode() == kEventSegmentRead) {
            result = event->result();
            answered = true;
        }
        finishEvent(event);
    }
    std::uint64_t fileSize = 0;
    std::int32_t result = -1;
    bool answered = false;
};

std::string makeRoot()
{
    char shm[] = "/dev/shm/tessel-fuzz-XXXXXX";
    char tmp[] = "/tmp/tessel-fuzz-XXXXXX";
    const char* made = ::mkdtemp(shm);
    if (!made)
        made = ::mkdtemp(tmp);
    if (!made)
        std::abort();
    tessel::kernel::setDeviceRoot(made);
    static const std::string root = made;
    std::atexit([] { std::filesystem::remove_all(root); });
    return made;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string root = makeRoot();
    if (size < 3 || size > 1 << 16)
        return 0;
    static CVXLPlatformFileStore store;
    static const std::string file = [] {
        CVXLString host;
        platformHostPath(store.folder(), &host);
        return std::string(host.c_str()) + "/msg";
    }();
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data + 3), static_cast<std::streamsize>(size - 3));

    CVXLEngineClock clock;
    {
        Root tree;
        tree.setClock(&clock);
        Requester requester;
        requester.fileSize = size - 3;
        CVXLMessageSegmentReaderJob job;
        job.setStore(&store);
        tree.startChild(&requester);
        tree.startChild(&job);
        CVXLSegmentReadRequest request;
        request.fileName = "msg";
        request.firstSegment = data[0] % 8;
        request.lastSegment = data[1] == 0xFF ? 0xFFFFFFFF : data[1] % 16;
        request.bothParts = data[2] & 1;
        requester.post(&job, &request);
        for (int steps = 0; steps < 100000 && !requester.answered; ++steps) {
            clock.setInTick(true);
            tree.step();
            clock.setInTick(false);
        }
        if (!requester.answered || (requester.result != 0 && requester.result != kPlatformEndOfData)
            || store.openStreams() != 0)
            std::abort();
        job.stop();
        requester.stop();
        for (int steps = 0; steps < 100; ++steps) {
            clock.setInTick(true);
            tree.step();
            clock.setInTick(false);
        }
    }
    return 0;
}
