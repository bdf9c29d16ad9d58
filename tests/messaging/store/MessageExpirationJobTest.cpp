#include "engine/messaging/store/MessageExpirationJob.h"
#include "engine/core/platform/VXLPlatform.h"
#include "engine/core/platform/VXLPlatformMessageStore.h"
#include "engine/messaging/store/MessageStoreManager.h"
#include "tests/messaging/MessagingTestSupport.h"
#include "tests/support/JobTreeDriver.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kNow = 1800000000;

struct QuietStore : CMessageStoreManager::Services {
    std::uint32_t messageLimit() override { return 100; }
    void setCounter(const char*, std::uint32_t) override { }
    void setHasNewMessages() override { }
    std::uint32_t nowSeconds() override { return kNow; }
};

struct JobServices : CMessageExpirationJob::Services {
    bool idle = true;
    int idleAsked = 0;
    bool producerIdle() override
    {
        ++idleAsked;
        return idle;
    }
    std::uint32_t nowSeconds() override { return kNow; }
};

std::string hexOf(std::uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%x", value);
    return text;
}

class ExpirationTest : public ::testing::Test {
protected:
    ExpirationTest()
    {
        store.setStore(&messages);
        store.setServices(&quiet);
        job.setMessageStore(&store);
        job.setServices(&services);
    }
    ~ExpirationTest() override
    {
        for (CVXLEventHandler* handler :
            {static_cast<CVXLEventHandler*>(&job), static_cast<CVXLEventHandler*>(&store)}) {
            if (handler->isActive())
                handler->stop();
            driver.runUntilIdle();
        }
    }

    std::string path(const std::string& id) const
    {
        CVXLString host;
        platformHostPath(messages.folder(), &host);
        return std::string(host.c_str()) + "/" + id;
    }
    bool exists(const std::string& id) const
    {
        struct stat st;
        return ::stat(path(id).c_str(), &st) == 0;
    }
    void seed(const std::string& id, const std::vector<StoredHeader>& extra)
    {
        std::vector<StoredHeader> headers {{"X-QV-From-Address", "5550001"},
            {"X-QV-To-Address-List", "5551111"}, {"X-QV-Received-Time", hexOf(kNow - 7200)}};
        headers.insert(headers.end(), extra.begin(), extra.end());
        ASSERT_EQ(writeStoredMessage(
                      root.hostPath("seed.json"), path(id), {storedSegment(headers), storedSegment({})}),
            "");
    }
    void start()
    {
        driver.attach(&store);
        driver.attach(&job);
        driver.runUntilIdle();
        ASSERT_TRUE(store.startCompleted());
    }

    TempDeviceRoot root;
    JobTreeDriver driver;
    CVXLPlatformMessageStore messages;
    QuietStore quiet;
    CMessageStoreManager store;
    JobServices services;
    CMessageExpirationJob job;
};

// One pass over inbox and premium box: what each message's headers say.
TEST_F(ExpirationTest, APassDeletesWhatHasExpired)
{
    const std::string past = std::to_string(kNow - 1);
    const std::string ahead = std::to_string(kNow + 1);
    const std::string relative = "[[\"0\", \"1\", null]]";
    const struct {
        const char* id;
        std::vector<StoredHeader> headers;
        bool kept;
    } rows[] = {
        {"i1700000009_0", {}, true}, // damaged below: passed over
        {"i1700000001_0", {{"X-QV-Expires", past}}, false},
        {"i1700000002_0", {{"X-QV-Expires", ahead}}, true},
        {"i1700000003_0", {}, true},
        {"i1700000004_0", {{"x-qv-expires", past}}, false},
        {"i1700000005_0", {{"X-QV-Expires", "0"}, {"8", past}}, false},
        {"i1700000006_0", {{"8", ahead}}, true},
        // Relative: from the received time two hours ago.
        {"i1700000007_0", {{"8", "7199", relative}}, false},
        {"i1700000008_0", {{"8", "7201", relative}}, true},
        {"p1700000001_0", {{"X-QV-Expires", past}}, false},
        {"p1700000002_0", {{"X-QV-Expires", ahead}}, true},
        // Never examined.
        {"s1700000001_0", {{"X-QV-Expires", past}}, true},
        {"m1700000001_0", {{"X-QV-Expires", past}}, true},
    };
    for (const auto& row : rows)
        seed(row.id, row.headers);
    start();
    // Damaged once loaded: its read fails.
    writeHost(path("i1700000009_0"), "cut");

    EXPECT_EQ(driver.nextTimeout(), CMessageExpirationJob::kFirstRunMs);
    ASSERT_TRUE(driver.runToNextTimer());
    for (const auto& row : rows)
        EXPECT_EQ(exists(row.id), row.kept) << row.id;
    EXPECT_EQ(store.boxCount(0), 5u);
    EXPECT_EQ(driver.nextTimeout(), CMessageExpirationJob::kPassIntervalMs);
}

// The Producer busy at every check: nothing is read, the job looks again
// every ten minutes.
TEST_F(ExpirationTest, ABusyProducerPutsThePassOff)
{
    seed("i1700000001_0", {{"X-QV-Expires", std::to_string(kNow - 1)}});
    services.idle = false;
    start();
    for (int wake = 0; wake < 3; ++wake) {
        ASSERT_TRUE(driver.runToNextTimer());
        EXPECT_EQ(driver.nextTimeout(), CMessageExpirationJob::kBusyRetryMs) << wake;
        EXPECT_TRUE(exists("i1700000001_0"));
    }
    services.idle = true;
    ASSERT_TRUE(driver.runToNextTimer());
    EXPECT_FALSE(exists("i1700000001_0"));
}

// The Producer turning busy during a pass stops it after the message in
// hand; the next pass goes on from the store.
TEST_F(ExpirationTest, AProducerTurningBusyStopsThePass)
{
    seed("i1700000001_0", {{"X-QV-Expires", std::to_string(kNow - 1)}});
    seed("i1700000002_0", {{"X-QV-Expires", std::to_string(kNow - 1)}});
    start();
    // Idle at the timer, busy after the first delete.
    struct OnceIdle : JobServices {
        bool producerIdle() override { return ++idleAsked == 1; }
    } onceIdle;
    job.setServices(&onceIdle);
    ASSERT_TRUE(driver.runToNextTimer());
    EXPECT_FALSE(exists("i1700000002_0"));
    EXPECT_TRUE(exists("i1700000001_0"));
    EXPECT_EQ(driver.nextTimeout(), CMessageExpirationJob::kBusyRetryMs);
    job.setServices(&services);
    ASSERT_TRUE(driver.runToNextTimer());
    EXPECT_FALSE(exists("i1700000001_0"));
    EXPECT_EQ(driver.nextTimeout(), CMessageExpirationJob::kPassIntervalMs);
}

TEST_F(ExpirationTest, AnEmptyPassWaitsSixHours)
{
    start();
    ASSERT_TRUE(driver.runToNextTimer());
    EXPECT_EQ(driver.nextTimeout(), CMessageExpirationJob::kPassIntervalMs);
    EXPECT_TRUE(job.timerArmed());
}

// Before the message store has started the job looks again in two seconds.
TEST_F(ExpirationTest, WaitsForTheMessageStore)
{
    driver.attach(&job);
    driver.runUntilIdle();
    ASSERT_TRUE(driver.runToNextTimer());
    EXPECT_EQ(driver.nextTimeout(), CMessageExpirationJob::kStoreWaitMs);
}

} // namespace
