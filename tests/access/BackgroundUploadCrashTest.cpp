#include "engine/access/UploadQueueRecord.h"
#include "platform/kernel/Registry.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kKills = 30;
// Turns of the child's busy loop before it kills itself: some batches in.
constexpr unsigned long kMaxSpin = 30000000;

// The names of the records of a queue file, or an empty list and false when
// the bytes are not whole records from start to end.
bool readQueue(const std::string& bytes, std::vector<std::string>* names)
{
    std::size_t at = 0;
    while (at < bytes.size()) {
        CUploadQueueRecord record;
        const std::size_t size
            = record.decode(reinterpret_cast<const std::uint8_t*>(bytes.data()) + at, bytes.size() - at);
        if (size == 0)
            return false;
        names->push_back(record.name.c_str());
        at += size;
    }
    return true;
}

std::vector<std::string> lines(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

// kill -9 of an engine at random points of its appends to "state.uq" and its
// key saves: the file always holds whole records, and after a restart has
// drained the queue every queued item has been uploaded, none twice except
// at most the one in flight at the kill.
TEST(BackgroundUploadCrash, AKillLeavesWholeRecordsAndARestartUploadsEachItemOnce)
{
    TempDeviceRoot root;
    tessel::kernel::registrySetText(tessel::kernel::RegistryHive::CurrentUser,
        "Software\\Halvard\\Tessel\\Path", "FileStore", "\\Engine");
    root.makeFolder("log");
    root.makeFolder("Engine");
    const std::string tool = std::string(TESSEL_BINARY_DIR) + "/bin/uploadcrash";
    const std::string keys = root.hostPath("keys.txt");
    const std::string uploads = root.hostPath("uploads.txt");
    std::mt19937 random(20261211);
    std::size_t seen = 0;
    std::set<std::string> queued;
    int repeats = 0;
    for (int run = 0; run < kKills; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        const unsigned long spin = std::uniform_int_distribution<unsigned long>(0, kMaxSpin)(random);
        const pid_t pid
            = testSpawn({tool, "queue", keys, uploads, std::to_string(spin)}, root.hostPath("log/queue.log"));
        ASSERT_GT(pid, 0);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "status " << status;

        std::vector<std::string> names;
        ASSERT_TRUE(readQueue(root.readFile("Engine/state.uq"), &names)) << "spin " << spin;
        queued.insert(names.begin(), names.end());

        const pid_t again = testSpawn({tool, "drain", keys, uploads}, root.hostPath("log/drain.log"));
        ASSERT_GT(again, 0);
        ASSERT_EQ(::waitpid(again, &status, 0), again);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
        EXPECT_TRUE(root.readFile("Engine/state.uq").empty());

        // This run's uploads: each name once, but one may come twice.
        const auto all = lines(root.readFile("uploads.txt"));
        std::map<std::string, int> counts;
        for (std::size_t i = seen; i < all.size(); ++i)
            ++counts[all[i]];
        seen = all.size();
        int twice = 0;
        for (const auto& [name, count] : counts) {
            EXPECT_LE(count, 2) << name;
            twice += count == 2;
        }
        EXPECT_LE(twice, 1);
        repeats += twice;
        for (const std::string& name : names)
            EXPECT_TRUE(counts.count(name)) << name << " was queued and never uploaded";
    }
    // Kills found records waiting, and many uploads were made.
    EXPECT_GT(queued.size(), 0u);
    EXPECT_GT(seen, 2u * kKills);
    EXPECT_LE(repeats, kKills);
}

} // namespace
