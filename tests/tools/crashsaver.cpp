// Saves one kind of state file over and over until a thread of its own kills
// the process with SIGKILL after SPIN turns of a busy loop, counted from the
// end of the first save, so the kill lands at a different point of a later
// save each run however loaded the machine is. Every save writes one generation:
// all its bytes or values carry the same mark, so a file that mixes two, or
// is cut short, shows. Exit status 2: bad usage; 1: a save failed.
//
//   crashsaver settings SPIN   _vxl.reg in the file store (replace mode)
//   crashsaver registry SPIN   a large text value under HKEY_CURRENT_USER
//   crashsaver reply SPIN      a reply file in the message store (replace mode)

#include "engine/core/base/VXLByteStream.h"
#include "engine/core/platform/VXLPlatformFileStore.h"
#include "engine/core/platform/VXLPlatformMessageStore.h"
#include "engine/core/settings/VXLPersStore.h"
#include "platform/kernel/Registry.h"
#include "tests/tools/SelfKill.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <string>

namespace {

constexpr std::uint32_t kChunkBytes = 512;
constexpr std::uint32_t kReplyBytes = 20000;
constexpr int kSettingsPairs = 40;

struct Status : CVXLCallback {
    void call(std::uint32_t value) override { last = value; }
    std::uint32_t last = 0;
};

struct Chunk : CVXLSinkInterface {
    const std::uint8_t* getData() override { return data; }
    std::uint32_t getLength() override { return length; }
    void consume(std::uint32_t, std::uint32_t error) override { status = error; }
    const std::uint8_t* data = nullptr;
    std::uint32_t length = 0;
    std::uint32_t status = 0;
};

bool replace(CVXLPlatformStore& store, const char* name, const std::string& bytes)
{
    CVXLPlatformFileStream* stream = store.openStream();
    Status status;
    stream->open(name, kStreamReplace, &status);
    bool ok = status.last == 0;
    for (std::uint32_t at = 0; ok && at < bytes.size(); at += kChunkBytes) {
        Chunk chunk;
        chunk.data = reinterpret_cast<const std::uint8_t*>(bytes.data()) + at;
        chunk.length = std::min<std::uint32_t>(kChunkBytes, static_cast<std::uint32_t>(bytes.size()) - at);
        stream->write(&chunk);
        ok = chunk.status == 0;
    }
    stream->close(&status);
    ok = ok && status.last == 0;
    store.closeStream(stream);
    return ok;
}

std::string settingsImage(unsigned generation)
{
    CVXLPersStore store;
    const std::string mark = "gen-" + std::to_string(generation);
    for (int i = 0; i < kSettingsPairs; ++i)
        store.set(("pers.k" + std::to_string(i)).c_str(), mark.c_str());
    CVXLByteStream image;
    store.save(image);
    return std::string(reinterpret_cast<const char*>(image.data()), image.length());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    const std::string mode = argv[1];
    const unsigned long spin = std::strtoul(argv[2], nullptr, 10);
    std::atomic<bool> firstSaved {false};
    killAfterSpin(spin, firstSaved);
    for (unsigned generation = 1;; ++generation) {
        bool ok = false;
        if (mode == "settings") {
            CVXLPlatformFileStore store;
            ok = replace(store, CVXLPersStore::kFileName, settingsImage(generation));
        } else if (mode == "reply") {
            CVXLPlatformMessageStore store;
            ok = replace(
                store, "reply.raw", std::string(kReplyBytes, static_cast<char>('a' + generation % 26)));
        } else if (mode == "registry") {
            ok = tessel::kernel::registrySetText(tessel::kernel::RegistryHive::CurrentUser,
                "Software\\Halvard\\Tessel\\Crash", "Value",
                std::string(4000, static_cast<char>('a' + generation % 26)));
        } else {
            return 2;
        }
        if (!ok)
            return 1;
        firstSaved.store(true);
    }
}
