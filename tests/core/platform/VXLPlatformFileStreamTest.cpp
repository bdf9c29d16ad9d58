#include "engine/core/base/VXLLog.h"
#include "engine/core/platform/VXLPlatformFileStore.h"
#include "engine/core/platform/VXLPlatformMessageStore.h"
#include "engine/core/platform/VXLPlatformStatus.h"
#include "platform/kernel/Registry.h"
#include "tests/core/platform/RecordingSinks.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Values = std::vector<std::uint32_t>;

// Every entry of a host folder, hidden ones too.
std::vector<std::string> hostEntries(const TempDeviceRoot& root, const char* folder)
{
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(root.hostPath(folder).c_str())) {
        while (dirent* entry = ::readdir(dir)) {
            if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..")
                names.emplace_back(entry->d_name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}
using Consumed = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

class PlatformFileStreamTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tessel::kernel::registrySetText(tessel::kernel::RegistryHive::CurrentUser,
            "Software\\Halvard\\Tessel\\Path", "FileStore", "\\Engine");
        store = new CVXLPlatformFileStore;
        stream = store->openStream();
    }
    void TearDown() override
    {
        store->closeStream(stream);
        delete store;
    }

    std::uint32_t open(const char* name, std::uint32_t mode)
    {
        RecordingCallback sink;
        stream->open(name, mode, &sink);
        EXPECT_EQ(sink.values.size(), 1u);
        return sink.values.empty() ? 999 : sink.values[0];
    }
    std::uint32_t close()
    {
        RecordingCallback sink;
        stream->close(&sink);
        return sink.values.empty() ? 999 : sink.values[0];
    }
    std::uint32_t seek(std::int32_t offset, bool fromCurrent)
    {
        RecordingCallback sink;
        stream->seek(offset, fromCurrent, &sink);
        return sink.values.empty() ? 999 : sink.values[0];
    }
    Consumed write(const std::string& bytes)
    {
        RecordingSource source(bytes);
        stream->write(&source);
        return source.consumed;
    }
    RecordingData read(std::uint32_t size)
    {
        RecordingData data;
        stream->read(&data, size);
        return data;
    }

    TempDeviceRoot root;
    CVXLPlatformFileStore* store = nullptr;
    CVXLPlatformFileStream* stream = nullptr;
};

TEST_F(PlatformFileStreamTest, ReadsWindowsAndReportsTheEndOfTheFile)
{
    root.writeFile("Engine/item_3.oq", "0123456789abcdef");
    ASSERT_EQ(open("item_3.oq", kStreamRead), kPlatformOk);
    EXPECT_EQ(open("item_3.oq", kStreamRead), kPlatformAlreadyOpen);

    struct Step {
        std::int32_t seekTo; // -1: no seek
        std::uint32_t size;
        const char* bytes;
        std::uint32_t status;
    } steps[] = {
        {-1, 4, "0123", kPlatformOk},
        {-1, 0, "", kPlatformOk},
        {10, 4, "abcd", kPlatformOk},
        {-1, 100, "ef", kPlatformOk}, // a short read at the end
        {-1, 100, "", kPlatformEndOfData}, // then the end, with no bytes
        {-1, 1, "", kPlatformEndOfData},
        {2, 3, "234", kPlatformOk},
        {16, 1, "", kPlatformEndOfData},
        {40, 1, "", kPlatformEndOfData},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.seekTo);
        SCOPED_TRACE(step.size);
        if (step.seekTo >= 0) {
            EXPECT_EQ(seek(step.seekTo, false), kPlatformOk);
        }
        RecordingData data = read(step.size);
        EXPECT_EQ(data.bytes(), step.bytes);
        EXPECT_EQ(data.chunks.size(), *step.bytes ? 1u : 0u) << "no data call without bytes";
        EXPECT_EQ(data.statuses, Values {step.status});
    }
    EXPECT_EQ(seek(16, false), kPlatformOk);
    EXPECT_EQ(seek(-5, true), kPlatformOk);
    EXPECT_EQ(read(10).bytes(), "bcdef");
    EXPECT_EQ(seek(-1, false), kPlatformSeekFailed);
    EXPECT_EQ(close(), kPlatformOk);
}

TEST_F(PlatformFileStreamTest, OperationsWithoutAFileAndFilesThatCannotBeOpened)
{
    EXPECT_EQ(close(), kPlatformNotOpen);
    EXPECT_EQ(seek(0, false), kPlatformNotOpen);
    EXPECT_EQ(read(10).statuses, Values {kPlatformNotOpen});
    EXPECT_EQ(write("abc"), (Consumed {{0, kPlatformNotOpen}}));
    RecordingCallback flushed;
    stream->flush(&flushed);
    EXPECT_EQ(flushed.values, Values {kPlatformOk});

    root.makeFolder("Engine/folder");
    EXPECT_EQ(open("missing.raw", kStreamRead), kPlatformOpenFailed);
    EXPECT_EQ(open("folder", kStreamRead), kPlatformOpenFailed);
    EXPECT_EQ(open("folder", kStreamWrite), kPlatformOpenFailed);
    EXPECT_EQ(open("x", 4), kPlatformOpenFailed);
    EXPECT_FALSE(stream->isOpen());
}

TEST_F(PlatformFileStreamTest, WriteAppendAndNestedFoldersMadeOnOpen)
{
    ASSERT_EQ(open("first\\second\\temp_mms.raw", kStreamWrite), kPlatformOk);
    EXPECT_TRUE(root.exists("Engine/first/second"));
    EXPECT_EQ(write("hello "), (Consumed {{6, kPlatformOk}}));
    EXPECT_EQ(write(""), (Consumed {{0, kPlatformOk}}));
    EXPECT_EQ(close(), kPlatformOk);
    ASSERT_EQ(open("FIRST\\Second\\temp_mms.raw", kStreamAppend), kPlatformOk);
    EXPECT_EQ(write("world"), (Consumed {{5, kPlatformOk}}));
    EXPECT_EQ(close(), kPlatformOk);
    EXPECT_EQ(root.readFile("Engine/first/second/temp_mms.raw"), "hello world");
    ASSERT_EQ(open("first\\second\\temp_mms.raw", kStreamWrite), kPlatformOk);
    EXPECT_EQ(close(), kPlatformOk);
    EXPECT_EQ(root.readFile("Engine/first/second/temp_mms.raw"), "") << "write starts the file afresh";
}

TEST_F(PlatformFileStreamTest, NamesThatWouldLeaveTheFolderAreRefused)
{
    root.writeFile("secret.txt", "keep");
    const char* refused[] = {"..\\secret.txt", "a\\..\\..\\secret.txt", ".\\x", "/etc/passwd", "a/b", ""};
    for (const char* name : refused) {
        SCOPED_TRACE(name);
        for (std::uint32_t mode : {kStreamRead, kStreamWrite, kStreamAppend, kStreamReplace})
            EXPECT_EQ(open(name, mode), kPlatformOpenFailed);
        RecordingCallback deleted;
        stream->deleteFile(name, &deleted);
        EXPECT_EQ(deleted.values, Values {kPlatformDeleteFailed});
    }
    EXPECT_EQ(root.readFile("secret.txt"), "keep");

    // The message store takes whole paths the engine built, nothing relative
    // with a separator.
    CVXLPlatformMessageStore messages;
    CVXLPlatformFileStream* messageStream = messages.openStream();
    RecordingCallback opened;
    root.writeFile("My Documents/secret.txt", "keep");
    messageStream->open("\\MY DOCUMENTS\\SECRET.TXT", kStreamRead, &opened);
    messageStream->open("sub\\part.jpg", kStreamRead, &opened);
    EXPECT_EQ(opened.values, (Values {kPlatformOk, kPlatformAlreadyOpen}));
    messageStream->close(&opened);
    messageStream->open("sub\\part.jpg", kStreamWrite, &opened);
    EXPECT_EQ(opened.values.back(), kPlatformOpenFailed);
    // Whole paths never reach the file store, however spelled, nor the
    // device's own files: the top of the device, the program, run and log
    // folders.
    root.writeFile("Engine/_vxl.reg", "settings");
    root.writeFile("device.conf", "platform=smartphone\n");
    root.writeFile("HKEY_CURRENT_USER.reg", "hive");
    root.writeFile("log/engine.log", "log");
    root.writeFile("windows/tool", "program");
    for (const char* name : {"\\Engine\\_vxl.reg", "\\ENGINE\\_VXL.REG", "\\\\Engine\\\\_vxl.reg",
             "\\Engine\\sub\\new.raw", "\\Engine", "\\device.conf", "\\HKEY_CURRENT_USER.reg", "\\new.raw",
             "\\log\\engine.log", "\\LOG\\x", "\\windows\\tool", "\\run\\x.lock"}) {
        SCOPED_TRACE(name);
        for (std::uint32_t mode : {kStreamRead, kStreamWrite, kStreamReplace}) {
            RecordingCallback refused;
            messageStream->open(name, mode, &refused);
            EXPECT_EQ(refused.values, Values {kPlatformOpenFailed});
        }
        RecordingCallback deleted;
        messages.deleteItem(name, &deleted);
        EXPECT_EQ(deleted.values, Values {kPlatformDeleteFailed});
    }
    EXPECT_EQ(root.readFile("Engine/_vxl.reg"), "settings");
    EXPECT_EQ(root.readFile("device.conf"), "platform=smartphone\n");
    EXPECT_EQ(root.readFile("HKEY_CURRENT_USER.reg"), "hive");
    EXPECT_EQ(root.readFile("windows/tool"), "program");
    messages.closeStream(messageStream);
}

TEST_F(PlatformFileStreamTest, DeleteFileReportsZeroWhenRemovedOrAbsent)
{
    root.writeFile("Engine/temp_not.raw", "x");
    RecordingCallback sink;
    stream->deleteFile("TEMP_NOT.RAW", &sink);
    stream->deleteFile("temp_not.raw", &sink);
    EXPECT_EQ(sink.values, (Values {kPlatformOk, kPlatformOk}));
    EXPECT_FALSE(root.exists("Engine/temp_not.raw"));
}

TEST_F(PlatformFileStreamTest, AShortWriteOnAFullDiskIsReported)
{
    root.makeFolder("Engine");
    ASSERT_EQ(::symlink("/dev/full", root.hostPath("Engine/full.raw").c_str()), 0);
    ASSERT_EQ(open("full.raw", kStreamWrite), kPlatformOk);
    EXPECT_EQ(write("no room for these bytes"), (Consumed {{0, kPlatformWriteFailed}}));
    EXPECT_EQ(close(), kPlatformOk);
}

TEST_F(PlatformFileStreamTest, AWriteCutShortByTheFileSizeLimitReportsWhatWasWritten)
{
    // The limit holds in a child process only; the child reports by exit code:
    // 0 when the write consumed exactly (60, kPlatformWriteFailed).
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit {60, 60};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        if (open("state.oq", kStreamWrite) != kPlatformOk)
            ::_exit(10);
        Consumed consumed = write(std::string(100, 's'));
        ::_exit(consumed == Consumed {{60, kPlatformWriteFailed}} ? 0 : 11);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(root.readFile("Engine/state.oq"), std::string(60, 's'));
}

TEST_F(PlatformFileStreamTest, ReplaceSwapsTheWholeFileOnlyOnASuccessfulClose)
{
    root.writeFile("Engine/_vxl.reg", "old settings");
    ASSERT_EQ(open("_vxl.reg", kStreamReplace), kPlatformOk);
    EXPECT_EQ(write("new "), (Consumed {{4, kPlatformOk}}));
    EXPECT_EQ(write("settings"), (Consumed {{8, kPlatformOk}}));
    EXPECT_EQ(root.readFile("Engine/_vxl.reg"), "old settings") << "untouched until the close";
    RecordingNames listing;
    store->first(&listing);
    EXPECT_EQ(listing.names, std::vector<std::string> {"_vxl.reg"}) << "the temporary file is hidden";
    EXPECT_EQ(close(), kPlatformOk);
    EXPECT_EQ(root.readFile("Engine/_vxl.reg"), "new settings");

    // A replace given up before its close leaves the old file and no trace.
    ASSERT_EQ(open("_vxl.reg", kStreamReplace), kPlatformOk);
    write("half");
    store->closeStream(stream);
    stream = store->openStream();
    EXPECT_EQ(root.readFile("Engine/_vxl.reg"), "new settings");

    // A new file comes into being only at the close, too.
    ASSERT_EQ(open("state.wq", kStreamReplace), kPlatformOk);
    EXPECT_FALSE(root.exists("Engine/state.wq"));
    EXPECT_EQ(close(), kPlatformOk);
    EXPECT_EQ(root.readFile("Engine/state.wq"), "");

    EXPECT_EQ(hostEntries(root, "Engine"), (std::vector<std::string> {"_vxl.reg", "state.wq"}))
        << "no temporary file left behind";
}

TEST_F(PlatformFileStreamTest, ReplaceKeepsTheOldFileWhenAWriteFailed)
{
    root.writeFile("Engine/state.pq", "old queue");
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit {20, 20};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        if (open("state.pq", kStreamReplace) != kPlatformOk)
            ::_exit(10);
        if (write(std::string(50, 'n')) != Consumed {{20, kPlatformWriteFailed}})
            ::_exit(11);
        ::_exit(close() == kPlatformCloseFailed ? 0 : 12);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(root.readFile("Engine/state.pq"), "old queue");
    EXPECT_EQ(hostEntries(root, "Engine"), std::vector<std::string> {"state.pq"})
        << "the temporary file is gone";
}

} // namespace

namespace {

// Making a store sweeps only temporaries of exactly the replace pattern whose
// process has ended; every other name stays.
TEST(PlatformTemporarySweep, OnlyDeadProcessesTemporariesGo)
{
    TempDeviceRoot root;
    tessel::kernel::registrySetText(tessel::kernel::RegistryHive::CurrentUser,
        "Software\\Halvard\\Tessel\\Path", "FileStore", "\\Engine");
    // A pid that is surely not running: a child that has been reaped.
    const pid_t dead = ::fork();
    if (dead == 0)
        ::_exit(0);
    ASSERT_GT(dead, 0);
    ASSERT_EQ(::waitpid(dead, nullptr, 0), dead);
    const std::string deadPid = std::to_string(dead);
    const std::string livePid = std::to_string(::getpid());
    struct Case {
        std::string name;
        bool removed;
    } cases[] = {
        {"._vxl.reg.tmp-" + deadPid + "-0", true},
        {"sub/.state.oq.tmp-" + deadPid + "-17", true},
        {"._vxl.reg.tmp-" + livePid + "-3", false},
        {"_vxl.reg.tmp-" + deadPid + "-0", false},
        {"._vxl.reg.tmp-" + deadPid, false},
        {"._vxl.reg.tmp-" + deadPid + "-0x", false},
        {"._vxl.reg.tmp--0", false},
        {".tmp-" + deadPid + "-0", false},
        {"._vxl.reg.TMP-" + deadPid + "-0", false},
        {"notes.txt", false},
    };
    for (const Case& c : cases)
        ASSERT_TRUE(root.writeFile("Engine/" + c.name, "x"));
    {
        CVXLPlatformFileStore store;
    }
    for (const Case& c : cases)
        EXPECT_EQ(root.exists("Engine/" + c.name), !c.removed) << c.name;
    CVXLLog::flush();
    EXPECT_NE(root.readFile("log/engine.log").find("removed 2 temporaries"), std::string::npos);
}

} // namespace
