#include "engine/media/VXLMediaItem.h"
#include "engine/media/VXLMediaItemRecord.h"
#include "platform/kernel/Registry.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <random>
#include <string>

namespace {

constexpr int kKills = 60;
// Turns of the child's busy loop before it kills itself: up to some ten saves in.
constexpr unsigned long kMaxSpin = 40000000;

// The record of one whole generation, or what is wrong with it.
std::string checkRecord(const std::string& bytes)
{
    CVXLByteBuffer buffer;
    buffer.append(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    CVXLMediaItem item;
    if (!CVXLMediaItemRecord::load(buffer, &item))
        return "damaged record";
    const std::string mark = "gen-" + std::to_string(item.captureTime());
    const bool whole = std::string(item.uid().c_str()) == mark
        && std::string(item.trackedText().c_str()) == mark && std::string(item.infoText().c_str()) == mark
        && std::string(item.title().c_str()).rfind(mark + ".", 0) == 0
        && item.title().length() == mark.size() + 3000 && item.uploadTime() == item.captureTime()
        && item.latitude() == item.captureTime() && item.longitude() == item.captureTime();
    return whole ? "" : "mixed generations";
}

// kill -9 at random points of record saves through the Local Media Manager:
// the record is always one whole generation.
TEST(LocalMediaCrash, AKillDuringARecordSaveLeavesTheOldOrTheNewRecord)
{
    TempDeviceRoot root;
    tessel::kernel::registrySetText(tessel::kernel::RegistryHive::CurrentUser,
        "Software\\Halvard\\Tessel\\Path", "FileStore", "\\Engine");
    root.makeFolder("log");
    ASSERT_TRUE(root.writeFile("My Documents/My Pictures/Beach.jpg", std::string(600, 'j')));
    const std::string tool = std::string(TESSEL_BINARY_DIR) + "/bin/mediacrash";
    std::mt19937 random(20261210);
    int saved = 0;
    for (int run = 0; run < kKills; ++run) {
        const unsigned long spin = std::uniform_int_distribution<unsigned long>(0, kMaxSpin)(random);
        const pid_t pid = testSpawn({tool, std::to_string(spin)}, root.hostPath("log/mediacrash.log"));
        ASSERT_GT(pid, 0);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << "run " << run << " status " << status;
        const std::string bytes = root.readFile("Engine/Beach.jpg-10003.md");
        ASSERT_FALSE(bytes.empty()) << "run " << run;
        ++saved;
        ASSERT_EQ(checkRecord(bytes), "") << "run " << run << " spin " << spin;
    }
    EXPECT_EQ(saved, kKills);
}

} // namespace
