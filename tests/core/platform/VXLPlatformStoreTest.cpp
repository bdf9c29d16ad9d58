#include "engine/core/platform/VXLPlatformFileStore.h"
#include "engine/core/platform/VXLPlatformMessageStore.h"
#include "engine/core/platform/VXLPlatformStatus.h"
#include "platform/kernel/Registry.h"
#include "tests/core/platform/RecordingSinks.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

using tessel::kernel::RegistryHive;
using Values = std::vector<std::uint32_t>;

constexpr const char* kPathKey = "Software\\Halvard\\Tessel\\Path";
constexpr auto kBudget = static_cast<std::uint32_t>(kFolderBudget);

void setPath(const char* name, const char* folder)
{
    ASSERT_TRUE(tessel::kernel::registrySetText(RegistryHive::CurrentUser, kPathKey, name, folder));
}

// A file of the given size that takes no disk space.
void makeSparse(const TempDeviceRoot& root, const std::string& relative, off_t size)
{
    root.writeFile(relative, "");
    int fd = ::open(root.hostPath(relative).c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, size), 0);
    ::close(fd);
}

std::vector<std::string> listAll(CVXLPlatformStore& store, Values* statuses)
{
    RecordingNames names;
    store.first(&names);
    for (int i = 0; i < 20 && names.statuses.back() == kPlatformOk; ++i)
        store.next(&names);
    *statuses = names.statuses;
    return names.names;
}

class PlatformStoreTest : public ::testing::Test {
protected:
    TempDeviceRoot root;
};

TEST_F(PlatformStoreTest, FoldersComeFromTheRegistryOrADefaultInTheRoot)
{
    struct Case {
        const char* fileStoreValue; // null: no value
        const char* expected;
    } cases[] = {
        {nullptr, "\\Application Data\\Tessel"},
        {"", "\\Application Data\\Tessel"},
        {"\\My Documents\\Tessel", "\\My Documents\\Tessel"},
        {"\\My Documents\\..\\..\\etc", "\\Application Data\\Tessel"},
        {"/etc", "\\Application Data\\Tessel"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fileStoreValue ? c.fileStoreValue : "(none)");
        if (c.fileStoreValue)
            setPath("FileStore", c.fileStoreValue);
        CVXLPlatformFileStore store;
        EXPECT_EQ(store.folder(), c.expected);
    }
    EXPECT_TRUE(root.exists("Application Data/Tessel")) << "the store makes its folder";
    EXPECT_TRUE(root.exists("My Documents/Tessel"));

    std::string tooLong = "\\" + std::string(259, 'x');
    setPath("FileStore", tooLong.c_str());
    EXPECT_EQ(CVXLPlatformFileStore().folder(), "\\Application Data\\Tessel");

    // The message store lies on the memory card when there is one.
    EXPECT_EQ(CVXLPlatformMessageStore().folder(), "\\Storage Card\\Tessel\\Messages");
    setPath("MessageStore", "\\Tessel\\Inbox");
    EXPECT_EQ(CVXLPlatformMessageStore().folder(), "\\Storage Card\\Tessel\\Inbox");
    root.writeDeviceConf("card.present = 0\n");
    EXPECT_EQ(CVXLPlatformMessageStore().folder(), "\\Tessel\\Inbox");
    EXPECT_TRUE(root.exists("Storage Card/Tessel/Inbox"));
}

TEST_F(PlatformStoreTest, PhonePathsInMixedCaseReachTheFilesThatExist)
{
    root.writeFile("my documents/TESSEL/_vxl.reg", "12345");
    setPath("FileStore", "\\My Documents\\Tessel");
    CVXLPlatformFileStore store;
    RecordingCallback info;
    store.itemInfo("_VXL.REG", &info);
    EXPECT_EQ(info.values, (Values {5, kPlatformOk, kPlatformOk}));
    EXPECT_FALSE(root.exists("My Documents")) << "no second folder beside the existing one";
}

TEST_F(PlatformStoreTest, ListingReportsEachEntryThenNoMoreEntries)
{
    setPath("MessageStore", "\\Msgs");
    CVXLPlatformMessageStore store;
    Values statuses;
    EXPECT_EQ(listAll(store, &statuses), std::vector<std::string> {});
    EXPECT_EQ(statuses, (Values {kPlatformNoMoreEntries}));

    root.writeFile("Storage Card/Msgs/.hidden", "x");
    root.writeFile("Storage Card/Msgs/..also hidden", "x");
    EXPECT_EQ(listAll(store, &statuses), std::vector<std::string> {}) << "only names starting with '.'";
    EXPECT_EQ(statuses, (Values {kPlatformNoMoreEntries}));

    root.writeFile("Storage Card/Msgs/msg2.mms", "x");
    root.writeFile("Storage Card/Msgs/msg10.mms", "x");
    root.writeFile("Storage Card/Msgs/index.db", "x");
    root.makeFolder("Storage Card/Msgs/parts");
    EXPECT_EQ(
        listAll(store, &statuses), (std::vector<std::string> {"index.db", "msg10.mms", "msg2.mms", "parts"}));
    EXPECT_EQ(statuses, (Values {0, 0, 0, 0, kPlatformNoMoreEntries}));

    RecordingNames more;
    store.next(&more);
    EXPECT_EQ(more.statuses, (Values {kPlatformNoMoreEntries})) << "stays at the end";

    // A new first lists afresh.
    root.writeFile("Storage Card/Msgs/aaa", "x");
    RecordingNames again;
    store.first(&again);
    EXPECT_EQ(again.names, std::vector<std::string> {"aaa"});

    RecordingCallback info;
    store.info(&info);
    ASSERT_EQ(info.values.size(), 3u);
    EXPECT_EQ(info.values[0], 5u);
    EXPECT_EQ(info.values[1], kBudget - 4);
    EXPECT_EQ(info.values[2], kPlatformOk);
}

TEST_F(PlatformStoreTest, FolderSpaceLeftIsTheBudgetLessTheFiles)
{
    root.makeFolder("Budget");
    EXPECT_EQ(folderSpaceLeft("\\Budget"), kBudget);
    makeSparse(root, "Budget/big.3gp", 60 * 1024 * 1024);
    makeSparse(root, "Budget/.partial", 90 * 1024 * 1024);
    EXPECT_EQ(folderSpaceLeft("\\budget"), kBudget - 60 * 1024 * 1024) << "'.' names are not counted";
    makeSparse(root, "Budget/bigger.3gp", 40 * 1024 * 1024);
    EXPECT_EQ(folderSpaceLeft("\\Budget"), 0u) << "100 MiB or more leaves nothing";
    EXPECT_EQ(folderSpaceLeft("\\No Such Folder"), kFolderSpaceUnknown);
    EXPECT_EQ(folderSpaceLeft("\\..\\x"), kFolderSpaceUnknown);
}

TEST_F(PlatformStoreTest, InfoFollowsEveryChangeOfTheFolderWhoeverMakesIt)
{
    setPath("MessageStore", "\\Msgs");
    CVXLPlatformMessageStore store;
    CVXLPlatformMessageStore other; // another writer of the same folder
    const std::string folder = "Storage Card/Msgs/";
    auto write = [](CVXLPlatformStore& through, const char* name, std::uint32_t mode, std::size_t size) {
        CVXLPlatformFileStream* stream = through.openStream();
        RecordingCallback opened;
        stream->open(name, mode, &opened);
        RecordingSource source(std::string(size, 'x'));
        stream->write(&source);
        RecordingCallback closed;
        stream->close(&closed);
        through.closeStream(stream);
    };
    struct Step {
        const char* fact;
        std::function<void()> change;
        std::uint32_t entries;
        std::uint32_t used;
    };
    const std::vector<Step> steps = {
        {"an empty folder", [] {}, 0, 0},
        {"a replace through the store", [&] { write(store, "a", kStreamReplace, 100); }, 1, 100},
        {"the same file replaced smaller", [&] { write(store, "a", kStreamReplace, 40); }, 1, 40},
        {"a file written behind the store's back", [&] { root.writeFile(folder + "b", std::string(7, 'y')); },
            2, 47},
        {"an append by another store", [&] { write(other, "b", kStreamAppend, 3); }, 2, 50},
        {"a hidden temporary is not counted", [&] { root.writeFile(folder + ".c.tmp-1-1", "zzz"); }, 2, 50},
        {"a folder counts as an entry without bytes", [&] { root.makeFolder(folder + "parts"); }, 3, 50},
        {"a delete through the store",
            [&] {
                RecordingCallback deleted;
                store.deleteItem("A", &deleted);
            },
            2, 10},
        {"a rename behind its back",
            [&] { ::rename(root.hostPath(folder + "b").c_str(), root.hostPath(folder + "d").c_str()); }, 2,
            10},
        {"a file truncated in place", [&] { ::truncate(root.hostPath(folder + "d").c_str(), 4); }, 2, 4},
    };
    for (const Step& step : steps) {
        step.change();
        // Twice: the first call may list, the second keeps what it knows.
        for (int call = 0; call < 2; ++call) {
            RecordingCallback info;
            store.info(&info);
            EXPECT_EQ(info.values, (Values {step.entries, kBudget - step.used, kPlatformOk}))
                << step.fact << ", call " << call;
        }
    }

    // The folder removed and made again is listed afresh.
    ASSERT_TRUE(std::filesystem::remove_all(root.hostPath(folder)) > 0);
    RecordingCallback gone;
    store.info(&gone);
    EXPECT_EQ(gone.values, (Values {0, kFolderSpaceUnknown, kPlatformOk}));
    root.writeFile(folder + "e", "12345");
    RecordingCallback again;
    store.info(&again);
    EXPECT_EQ(again.values, (Values {1, kBudget - 5, kPlatformOk}));
}

// The store answers names from the listing it keeps; each must reach the
// file the device root's map reaches (the exact spelling, else the smallest
// match ignoring case), as the folder changes behind its back.
TEST_F(PlatformStoreTest, NamesReachTheFileOfTheirSpellingAsTheFolderChanges)
{
    setPath("MessageStore", "\\Msgs");
    CVXLPlatformMessageStore store;
    const std::string folder = "Storage Card/Msgs/";
    auto read = [&](const char* name) {
        CVXLPlatformFileStream* stream = store.openStream();
        RecordingCallback opened;
        stream->open(name, kStreamRead, &opened);
        RecordingData data;
        if (opened.values == Values {kPlatformOk})
            stream->read(&data, 100);
        RecordingCallback closed;
        stream->close(&closed);
        store.closeStream(stream);
        return data.bytes();
    };
    auto replace = [&](const char* name, const std::string& bytes) {
        CVXLPlatformFileStream* stream = store.openStream();
        RecordingCallback opened;
        stream->open(name, kStreamReplace, &opened);
        RecordingSource source(bytes);
        stream->write(&source);
        RecordingCallback closed;
        stream->close(&closed);
        store.closeStream(stream);
    };
    struct Step {
        const char* fact;
        std::function<void()> change;
        const char* name; // asked for
        std::string bytes; // what a read of it gives; empty: no such file
    };
    const std::vector<Step> steps = {
        {"a file written behind the store's back", [&] { root.writeFile(folder + "Note", "mixed"); }, "NOTE",
            "mixed"},
        {"the exact spelling appears", [&] { root.writeFile(folder + "NOTE", "upper!"); }, "NOTE", "upper!"},
        {"the smallest of two matches", [] {}, "note", "upper!"},
        {"the exact spelling goes", [&] { std::filesystem::remove(root.hostPath(folder + "NOTE")); }, "note",
            "mixed"},
        {"a replace keeps the file's spelling", [&] { replace("nOtE", "replaced"); }, "Note", "replaced"},
        {"a new name through the store", [&] { replace("fresh", "new"); }, "FRESH", "new"},
        {"renamed behind its back",
            [&] {
                ::rename(root.hostPath(folder + "fresh").c_str(), root.hostPath(folder + "Moved").c_str());
            },
            "fresh", ""},
        {"the new name", [] {}, "moved", "new"},
        {"a delete by another spelling",
            [&] {
                RecordingCallback deleted;
                store.deleteItem("NOTE", &deleted);
            },
            "note", ""},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.fact);
        step.change();
        EXPECT_EQ(read(step.name), step.bytes);
        RecordingCallback info;
        store.itemInfo(step.name, &info);
        const std::uint32_t size = static_cast<std::uint32_t>(step.bytes.size());
        EXPECT_EQ(info.values, step.bytes.empty() ? (Values {0, kPlatformNoSuchItem}) : (Values {size, 0}));
    }
    EXPECT_FALSE(root.exists(folder + "nOtE")) << "no second file beside the existing one";
    EXPECT_EQ(root.readFile(folder + "Moved"), "new");
}

TEST_F(PlatformStoreTest, ItemInfoReportsMissingFilesAsNoSuchItem)
{
    setPath("FileStore", "\\Engine");
    setPath("MessageStore", "\\Msgs");
    root.writeFile("Engine/state.oq", std::string(300, 'q'));
    root.writeFile("Storage Card/Msgs/m1.mms", std::string(7, 'm'));
    root.writeFile("Elsewhere/photo.jpg", "jpg");
    CVXLPlatformFileStore files;
    CVXLPlatformMessageStore messages;
    struct Case {
        CVXLPlatformStore* store;
        const char* name;
        Values expected;
    } cases[] = {
        {&files, "state.oq", {300, 0, 0}},
        {&files, "\\state.oq", {300, 0, 0}},
        {&files, "state.wq", {0, kPlatformNoSuchItem, kPlatformNoSuchItem}},
        {&files, "..\\Elsewhere\\photo.jpg", {0, kPlatformNoSuchItem, kPlatformNoSuchItem}},
        {&messages, "m1.mms", {7, 0}},
        {&messages, "m2.mms", {0, kPlatformNoSuchItem}},
        {&messages, "\\Elsewhere\\photo.jpg", {3, 0}}, // a path the engine built
        {&messages, "Elsewhere\\photo.jpg", {0, kPlatformNoSuchItem}},
        {&messages, "", {0, kPlatformNoSuchItem}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingCallback sink;
        c.store->itemInfo(c.name, &sink);
        EXPECT_EQ(sink.values, c.expected);
    }
}

TEST_F(PlatformStoreTest, DeleteReportsZeroForRemovedOrAbsentInBothStores)
{
    setPath("FileStore", "\\Engine");
    setPath("MessageStore", "\\Msgs");
    CVXLPlatformFileStore files;
    CVXLPlatformMessageStore messages;
    root.writeFile("Engine/_vxl.run", "1");
    root.writeFile("Storage Card/Msgs/m1.mms", "x");
    root.writeFile("Storage Card/Msgs/full/part", "x");
    root.writeFile("Secret/keep.txt", "x");
    struct Case {
        CVXLPlatformStore* store;
        const char* name;
        std::uint32_t status;
        const char* gone; // a file that must not exist afterwards
    } cases[] = {
        {&files, "_vxl.run", kPlatformOk, "Engine/_vxl.run"},
        {&files, "_vxl.run", kPlatformOk, nullptr},
        {&messages, "M1.MMS", kPlatformOk, "Storage Card/Msgs/m1.mms"},
        {&messages, "never.mms", kPlatformOk, nullptr},
        {&messages, "full", kPlatformDeleteFailed, nullptr}, // a folder with files in it
        {&files, "..\\Secret\\keep.txt", kPlatformDeleteFailed, nullptr},
        {&messages, "..\\..\\Secret\\keep.txt", kPlatformDeleteFailed, nullptr},
        {&messages, "sub\\keep.txt", kPlatformDeleteFailed, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingCallback sink;
        c.store->deleteItem(c.name, &sink);
        EXPECT_EQ(sink.values, Values {c.status});
        if (c.gone) {
            EXPECT_FALSE(root.exists(c.gone));
        }
    }
    EXPECT_TRUE(root.exists("Secret/keep.txt"));
    EXPECT_TRUE(root.exists("Storage Card/Msgs/full/part"));
}

TEST_F(PlatformStoreTest, AtMost32StreamsAtATime)
{
    CVXLPlatformFileStore store;
    std::vector<CVXLPlatformFileStream*> streams;
    for (std::uint32_t i = 0; i < CVXLPlatformStore::kMaxOpenStreams; ++i) {
        streams.push_back(store.openStream());
        ASSERT_NE(streams.back(), nullptr);
    }
    EXPECT_EQ(store.openStream(), nullptr);
    RecordingCallback opened;
    streams[0]->open("log.txt", kStreamWrite, &opened);
    store.closeStream(streams[0]);
    EXPECT_EQ(store.openStreams(), 31u);
    streams[0] = store.openStream();
    EXPECT_NE(streams[0], nullptr);
    for (CVXLPlatformFileStream* stream : streams)
        store.closeStream(stream);
    EXPECT_EQ(store.openStreams(), 0u);
}

} // namespace
