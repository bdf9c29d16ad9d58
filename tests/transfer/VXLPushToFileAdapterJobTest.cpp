#include "engine/transfer/VXLPushToFileAdapterJob.h"

#include "engine/core/settings/VXLPersStore.h"
#include "engine/core/platform/VXLPlatformMessageStore.h"
#include "engine/transfer/VXLPushOpenRequest.h"
#include "engine/transfer/VXLPushWriteRequest.h"
#include "tests/support/JobTreeDriver.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

constexpr const char* kFile = "\\My Documents\\pushed.raw";
constexpr const char* kHostFile = "My Documents/pushed.raw";

// The adapter under a requester, writing through the message store.
struct AdapterFixture : ::testing::Test {
    AdapterFixture()
    {
        store = std::make_unique<CVXLPlatformMessageStore>();
        adapter.setFileStore(store.get());
        adapter.setSettingsStore(&settings);
        adapter.setProgressKeys("int.total", "int.current");
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
    std::int32_t openFile(const char* name, std::int32_t total)
    {
        open.fileName = name;
        open.expectedTotal = total;
        return send(open);
    }
    std::int32_t writeText(const std::string& text)
    {
        buffer.clear();
        buffer.append(text.data(), static_cast<std::uint32_t>(text.size()));
        write.buffer = &buffer;
        return send(write);
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
    CVXLPersStore settings;
    TraceJob requester { "requester" };
    CVXLPushToFileAdapterJob adapter;
    CVXLPushOpenRequest open;
    CVXLPushWriteRequest write;
    CVXLEvent close { CVXLPushToFileAdapterJob::kCloseRequest, CVXLPushToFileAdapterJob::kCloseReply };
    CVXLByteBuffer buffer;
};

TEST_F(AdapterFixture, OpenWritesAndCloseFillTheFileAndPublishProgress)
{
    ASSERT_TRUE(root.writeFile(kHostFile, "an older file, longer than the new one"));
    EXPECT_EQ(openFile(kFile, 7), kResultSucceeded);
    EXPECT_EQ(setting("int.total"), "7");
    EXPECT_EQ(setting("int.current"), "0");
    EXPECT_EQ(writeText("abc"), kResultSucceeded);
    EXPECT_EQ(buffer.length(), 0u) << "a written buffer is emptied";
    EXPECT_EQ(setting("int.current"), "3");
    EXPECT_EQ(writeText("defg"), kResultSucceeded);
    EXPECT_EQ(setting("int.current"), "7");
    EXPECT_EQ(send(close), kResultSucceeded);
    EXPECT_EQ(root.readFile(kHostFile), "abcdefg");
    EXPECT_EQ(store->openStreams(), 0u);
    // Replies come back under their own codes.
    EXPECT_EQ(requester.codes, (std::vector<std::int32_t> { 24, 28, 28, 25 }));
}

TEST_F(AdapterFixture, RequestsThatCannotBeDoneFail)
{
    EXPECT_EQ(writeText("no file open"), kResultFailed);
    // The name would leave the device root.
    EXPECT_EQ(openFile("\\..\\outside.raw", -1), kResultFailed);
    EXPECT_FALSE(adapter.isOpen());
    EXPECT_EQ(writeText("still no file"), kResultFailed);
    EXPECT_EQ(store->openStreams(), 0u);
}

TEST_F(AdapterFixture, StoppingClosesAnOpenFile)
{
    ASSERT_EQ(openFile(kFile, -1), kResultSucceeded);
    EXPECT_EQ(setting("int.total"), "0") << "an unknown total is published as 0";
    ASSERT_EQ(writeText("partial"), kResultSucceeded);
    adapter.stop();
    driver.runUntilIdle();
    EXPECT_EQ(adapter.runState(), kHandlerFinished);
    EXPECT_EQ(store->openStreams(), 0u);
    EXPECT_FALSE(root.exists(kHostFile)) << "a stopped transfer leaves no partial file";
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
        { "success", kResultSucceeded, "partial" },
        { "failed retrieval", kResultFailed, "the earlier copy" },
        { "stopped", -1, "the earlier copy" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(root.writeFile(kHostFile, "the earlier copy"));
        ASSERT_EQ(openFile(kFile, 100), kResultSucceeded);
        ASSERT_EQ(writeText("partial"), kResultSucceeded);
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
