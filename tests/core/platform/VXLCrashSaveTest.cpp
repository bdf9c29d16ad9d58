#include "engine/core/base/VXLByteStream.h"
#include "engine/core/platform/VXLPlatformFileStore.h"
#include "engine/core/platform/VXLPlatformMessageStore.h"
#include "engine/core/settings/VXLPersStore.h"
#include "platform/kernel/Registry.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <sys/wait.h>

#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr int kKillsPerKind = 100;
// Turns of the child's busy loop before it kills itself: from before the
// first save to a few saves in.
constexpr unsigned long kMaxSpin = 3000000;

std::vector<std::string> temporariesIn(const std::string& hostFolder)
{
    std::vector<std::string> found;
    if (DIR* dir = ::opendir(hostFolder.c_str())) {
        while (dirent* entry = ::readdir(dir)) {
            if (std::string(entry->d_name).find(".tmp") != std::string::npos)
                found.emplace_back(entry->d_name);
        }
        ::closedir(dir);
    }
    return found;
}

// The whole file of one generation, or a description of what is wrong.
std::string checkSettings(const std::string& bytes)
{
    if (bytes.empty())
        return "";
    CVXLByteBuffer buffer;
    buffer.append(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    CVXLByteStream reader(buffer);
    CVXLPersStore store;
    if (!store.load(reader))
        return "damaged image";
    std::set<std::string> marks;
    for (int i = 0; i < 40; ++i) {
        CVXLString value;
        store.get(("pers.k" + std::to_string(i)).c_str(), &value);
        marks.insert(value.c_str());
    }
    return marks.size() == 1 && marks.begin()->rfind("gen-", 0) == 0 ? "" : "mixed generations";
}

std::string checkUniform(const std::string& bytes, std::size_t size)
{
    if (bytes.empty())
        return "";
    if (bytes.size() != size)
        return "size " + std::to_string(bytes.size());
    return bytes.find_first_not_of(bytes[0]) == std::string::npos ? "" : "mixed generations";
}

// kill -9 at random points of settings, registry and reply-file saves: the
// file holds one whole generation every time, and once a store is made again
// no temporary of the killed processes is left.
TEST(CrashSave, AKillDuringASaveLeavesTheOldOrTheNewFile)
{
    TempDeviceRoot root;
    tessel::kernel::registrySetText(tessel::kernel::RegistryHive::CurrentUser,
        "Software\\Halvard\\Tessel\\Path", "FileStore", "\\Engine");
    tessel::kernel::registrySetText(tessel::kernel::RegistryHive::CurrentUser,
        "Software\\Halvard\\Tessel\\Path", "MessageStore", "\\Msgs");
    const std::string tool = std::string(TESSEL_BINARY_DIR) + "/bin/crashsaver";
    root.makeFolder("log");
    std::string messages;
    {
        CVXLPlatformMessageStore store;
        messages = store.folder().c_str();
    }
    for (char& c : messages) {
        if (c == '\\')
            c = '/';
    }
    struct Kind {
        const char* mode;
        std::string file; // below the root
        std::string (*check)(const std::string&);
    } kinds[] = {
        {"settings", "Engine/_vxl.reg", checkSettings},
        {"reply", messages.substr(1) + "/reply.raw",
            [](const std::string& b) { return checkUniform(b, 20000); }},
        {"registry", "registry/HKEY_CURRENT_USER.reg",
            [](const std::string&) {
                std::string text;
                if (!tessel::kernel::registryQueryText(tessel::kernel::RegistryHive::CurrentUser,
                        "Software\\Halvard\\Tessel\\Crash", "Value", &text))
                    return std::string();
                return checkUniform(text, 4000);
            }},
    };
    std::mt19937 random(20240611);
    int kills = 0;
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(kind.mode);
        int saved = 0;
        for (int run = 0; run < kKillsPerKind; ++run) {
            const unsigned long spin = std::uniform_int_distribution<unsigned long>(0, kMaxSpin)(random);
            const pid_t pid
                = testSpawn({tool, kind.mode, std::to_string(spin)}, root.hostPath("log/crashsaver.log"));
            ASSERT_GT(pid, 0);
            int status = 0;
            ASSERT_EQ(::waitpid(pid, &status, 0), pid);
            ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
                << "run " << run << " status " << status;
            ++kills;
            const std::string bytes = root.readFile(kind.file);
            saved += bytes.empty() ? 0 : 1;
            ASSERT_EQ(kind.check(bytes), "") << "run " << run << " spin " << spin;
        }
        // Every kill lands after a first save, on a later one or between two.
        EXPECT_EQ(saved, kKillsPerKind) << "kills land after a first save";
    }
    EXPECT_EQ(kills, 3 * kKillsPerKind);

    // The next start sweeps what the killed replaces left; the registry
    // reuses its one temporary name, and its next write removes it.
    {
        CVXLPlatformFileStore files;
        CVXLPlatformMessageStore replies;
    }
    ASSERT_TRUE(tessel::kernel::registrySetText(
        tessel::kernel::RegistryHive::CurrentUser, "Software\\Halvard\\Tessel\\Crash", "After", "1"));
    EXPECT_EQ(temporariesIn(root.hostPath("Engine")), std::vector<std::string> {});
    EXPECT_EQ(temporariesIn(root.hostPath(messages.substr(1))), std::vector<std::string> {});
    EXPECT_EQ(temporariesIn(root.hostPath("registry")), std::vector<std::string> {});
}

} // namespace
