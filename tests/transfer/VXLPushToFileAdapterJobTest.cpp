#include "engine/transfer/VXLPushToFileAdapterJob.h"

#include "engine/core/platform/VXLPlatformMessageStore.h"
#include "engine/core/settings/VXLPersStore.h"
#include "engine/files/VXLFileStoreManager.h"
#include "engine/transfer/VXLPushOpenRequest.h"
#include "engine/transfer/VXLPushWriteRequest.h"
#include "tests/support/FileStoreFixture.h"
#include "tests/support/JobTreeDriver.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr const char* kFile = "\\My Documents\\pushed.raw";
constexpr const char* kHostFile = "My Documents/pushed.raw";

// The adapter under a requester, with a File Store Manager over the message
// store making its file sinks.
struct AdapterRig {
    AdapterRig()
    {
        store = std::make_unique<CVXLPlatformMessageStore>();
        files.setFileStore(store.get());
        adapter.setSettingsStore(&settings);
        adapter.setProgressKeys("int.total", "int.current");
        driver.attach(&files);
        driver.attach(&requester);
        driver.attach(&adapter);
        driver.runUntilIdle();
        requester.codes.clear();
        requester.results.clear();
    }

    // Posts a request and answers with the result the requester got (-1 when
    // none came back).
    std::int32_t send(CVXLEvent& request)
    {
        const std::size_t before = requester.results.size();
        requester.post(&adapter, &request);
        driver.runUntilIdle();
        return requester.results.size() == before + 1 ? requester.results.back() : -1;
    }
    // The owner names the manager before each open: the adapter forgets it
    // after a transfer.
    std::int32_t openFile(const char* name, std::int32_t total, bool nameManager = true)
    {
        if (nameManager)
            adapter.setFileStoreManager(&files);
        open.fileName = name;
        open.expectedTotal = total;
        return send(open);
    }
    std::int32_t writeBytes(const std::string& bytes)
    {
        buffer.clear();
        buffer.append(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
        write.buffer = &buffer;
        return send(write);
    }
    // Bytes the file sink has received; -1 without one.
    std::int32_t sinkCount() const
    {
        auto* sink = static_cast<CVXLXferJobBase*>(adapter.destination());
        return sink ? sink->count() : -1;
    }
    std::string setting(const char* key)
    {
        CVXLString value;
        settings.get(CVXLString(key), &value);
        return value.c_str();
    }

    TempDeviceRoot root;
    JobTreeDriver driver;
    std::unique_ptr<CVXLPlatformMessageStore> store;
    CVXLFileStoreManager files;
    CVXLPersStore settings;
    TraceJob requester {"requester"};
    CVXLPushToFileAdapterJob adapter;
    CVXLPushOpenRequest open;
    CVXLPushWriteRequest write;
    CVXLEvent close {CVXLPushToFileAdapterJob::kCloseRequest, CVXLPushToFileAdapterJob::kCloseReply};
    CVXLByteBuffer buffer;
};

struct AdapterFixture : ::testing::Test, AdapterRig { };

TEST_F(AdapterFixture, OpenWritesAndCloseFillTheFileAndPublishProgress)
{
    ASSERT_TRUE(root.writeFile(kHostFile, "an older file, longer than the new one"));
    EXPECT_EQ(openFile(kFile, 7), kResultSucceeded);
    EXPECT_EQ(setting("int.total"), "7");
    EXPECT_EQ(setting("int.current"), "0");
    EXPECT_EQ(writeBytes("abc"), kResultSucceeded);
    EXPECT_EQ(buffer.length(), 0u) << "a written buffer is emptied";
    EXPECT_EQ(setting("int.current"), "3");
    EXPECT_EQ(writeBytes("defg"), kResultSucceeded);
    EXPECT_EQ(setting("int.current"), "7");
    EXPECT_EQ(send(close), kResultSucceeded);
    EXPECT_EQ(root.readFile(kHostFile), "abcdefg");
    EXPECT_EQ(store->openStreams(), 0u);
    EXPECT_FALSE(adapter.isOpen());
    // Replies come back under their own codes.
    EXPECT_EQ(requester.codes, (std::vector<std::int32_t> {24, 28, 28, 25}));
}

// A block's answer means its bytes are with the sink; the close's answer
// means the file is in place, whatever the blocks' sizes against the sink's
// chunk size, and with no block at all.
TEST_F(AdapterFixture, EachBlockIsAnsweredAfterTheSinkTookItAndTheCloseAfterTheFileIsInPlace)
{
    struct Case {
        const char* what;
        std::vector<std::size_t> blockSizes;
    } cases[] = {
        {"blocks larger and smaller than a chunk", {120000, 1, 51200, 70000}},
        {"one block below a chunk", {300}},
        {"no block: an empty file", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(root.writeFile(kHostFile, "the earlier copy"));
        std::vector<std::int32_t> sinkCountAtAnswer;
        std::string fileAtCloseAnswer = "(no answer)";
        requester.handler = [&](TraceJob& job, CVXLEvent* event) {
            if (event == &write)
                sinkCountAtAnswer.push_back(sinkCount());
            if (event == &close)
                fileAtCloseAnswer = root.readFile(kHostFile);
            job.finishEvent(event);
        };
        ASSERT_EQ(openFile(kFile, -1), kResultSucceeded);
        std::string all;
        std::vector<std::int32_t> expected;
        for (std::size_t i = 0; i < c.blockSizes.size(); ++i) {
            const std::string block
                = FileStoreFixture::randomBytes(c.blockSizes[i], static_cast<std::uint32_t>(i + 1));
            all += block;
            expected.push_back(static_cast<std::int32_t>(all.size()));
            ASSERT_EQ(writeBytes(block), kResultSucceeded);
        }
        EXPECT_EQ(sinkCountAtAnswer, expected);
        EXPECT_EQ(adapter.written(), all.size());
        EXPECT_EQ(send(close), kResultSucceeded);
        EXPECT_TRUE(fileAtCloseAnswer == all) << "the file is in place when the close is answered";
        EXPECT_EQ(store->openStreams(), 0u);
        requester.handler = nullptr;
    }
}

TEST_F(AdapterFixture, RequestsThatCannotBeDoneFail)
{
    EXPECT_EQ(writeBytes("no file open"), kResultFailed);
    EXPECT_EQ(openFile(kFile, -1, false), kResultFailed) << "no File Store Manager named";
    EXPECT_FALSE(adapter.isOpen());

    // The sink opens the file with the first block, and the name would leave
    // the device root: that block fails, and so does the close.
    ASSERT_EQ(openFile("\\..\\outside.raw", -1), kResultSucceeded);
    EXPECT_NE(writeBytes("refused"), kResultSucceeded);
    EXPECT_NE(send(close), kResultSucceeded);
    EXPECT_FALSE(adapter.isOpen());
    EXPECT_EQ(writeBytes("still no file"), kResultFailed);
    EXPECT_EQ(store->openStreams(), 0u);

    // The manager is forgotten after a transfer.
    EXPECT_EQ(adapter.fileStoreManager(), nullptr);
    EXPECT_EQ(openFile(kFile, -1, false), kResultFailed);
}

TEST_F(AdapterFixture, StoppingClosesAnOpenFile)
{
    ASSERT_EQ(openFile(kFile, -1), kResultSucceeded);
    EXPECT_EQ(setting("int.total"), "0") << "an unknown total is published as 0";
    ASSERT_EQ(writeBytes("partial"), kResultSucceeded);
    adapter.stop();
    driver.runUntilIdle();
    EXPECT_EQ(adapter.runState(), kHandlerFinished);
    EXPECT_EQ(store->openStreams(), 0u);
    EXPECT_FALSE(root.exists(kHostFile)) << "a stopped transfer leaves no partial file";
}

// An owner that stops the manager and the adapter together: the manager
// deletes the sink job on its own stop, which the adapter must never touch
// again, whether the transfer had begun or not.
TEST(VXLPushToFileAdapterJob, StoppingTheManagerTogetherWithTheAdapterKeepsTheEarlierCopy)
{
    struct Case {
        const char* what;
        bool blockWritten;
        bool managerFirst;
    } cases[] = {
        {"no block yet, manager first", false, true},
        {"no block yet, adapter first", false, false},
        {"a block written, manager first", true, true},
        {"a block written, adapter first", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AdapterRig f;
        ASSERT_TRUE(f.root.writeFile(kHostFile, "the earlier copy"));
        ASSERT_EQ(f.openFile(kFile, -1), kResultSucceeded);
        if (c.blockWritten) {
            ASSERT_EQ(f.writeBytes("partial"), kResultSucceeded);
        }
        CVXLEventHandler* first = c.managerFirst ? static_cast<CVXLEventHandler*>(&f.files) : &f.adapter;
        CVXLEventHandler* second = c.managerFirst ? static_cast<CVXLEventHandler*>(&f.adapter) : &f.files;
        first->stop();
        second->stop();
        f.driver.runUntilIdle();
        EXPECT_EQ(f.adapter.runState(), kHandlerFinished);
        EXPECT_EQ(f.files.runState(), kHandlerFinished);
        EXPECT_FALSE(f.adapter.isOpen());
        EXPECT_EQ(f.store->openStreams(), 0u);
        EXPECT_EQ(f.root.readFile(kHostFile), "the earlier copy");
    }
}

// The earlier copy stays until a close that reports success: a failed
// retrieval or a stop never leaves a partial file under the name.
TEST_F(AdapterFixture, OnlyASuccessfulCloseReplacesTheEarlierCopy)
{
    struct Case {
        const char* what;
        std::int32_t closeResult; // -1: the adapter is stopped instead
        const char* after;
    } cases[] = {
        {"success", kResultSucceeded, "partial"},
        {"failed retrieval", kResultFailed, "the earlier copy"},
        {"stopped", -1, "the earlier copy"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(root.writeFile(kHostFile, "the earlier copy"));
        ASSERT_EQ(openFile(kFile, 100), kResultSucceeded);
        ASSERT_EQ(writeBytes("partial"), kResultSucceeded);
        EXPECT_EQ(root.readFile(kHostFile), "the earlier copy") << "untouched while the body arrives";
        if (c.closeResult < 0) {
            adapter.stop();
            driver.runUntilIdle();
        } else {
            close.setResult(c.closeResult);
            EXPECT_EQ(send(close), kResultSucceeded);
        }
        EXPECT_EQ(root.readFile(kHostFile), c.after);
        EXPECT_EQ(store->openStreams(), 0u);
    }
}

} // namespace
