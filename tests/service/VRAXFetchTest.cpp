#include "engine/service/VRAXFetchBatch.h"
#include "engine/transfer/VXLPushWriteRequest.h"
#include "tests/service/VraxJobRig.h"
#include "tests/support/SquidProxy.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace {

// A batch of I1, I2, I3 whose slot jobs keep the bytes pushed to them and
// the result their fetch ended with.
struct FetchRig : VraxJobRig {
    static constexpr std::int32_t kNotTold = -1;

    FetchRig()
    {
        static const char* const kIds[] = {"I1", "I2", "I3"};
        batch.count = 3;
        for (int i = 0; i < 3; ++i) {
            batch.slots[i].itemId = kIds[i];
            batch.slots[i].contentId = kIds[i];
            batch.slots[i].mimeType = "image/jpeg";
            batch.slots[i].target = &sinks[i];
            batch.slots[i].opened = true;
            sinks[i].handler = [this, i](TraceJob& self, CVXLEvent* event) {
                if (event->effectiveCode() == kEventPushWrite) {
                    CVXLByteBuffer* buffer = static_cast<CVXLPushWriteRequest*>(event)->buffer;
                    received[i].append(reinterpret_cast<const char*>(buffer->data()), buffer->length());
                    ++writes[i];
                    buffer->clear();
                } else if (event->effectiveCode() == CVRAXJob::kFetchOverCode) {
                    told[i] = event->result();
                }
                self.finishEvent(event);
            };
            driver.attach(&sinks[i]);
        }
        driver.runUntilIdle();
        fetch.batch = &batch;
    }

    std::int32_t runFetch()
    {
        const std::int32_t result = run(fetch);
        pump([&] { return told[0] != kNotTold && told[1] != kNotTold && told[2] != kNotTold; }, 2000);
        return result;
    }

    CVRAXFetchBatch batch;
    CVRAXJobRequest fetch {kEventVraxFetchMedia, 44};
    TraceJob sinks[3] {TraceJob("slot I1"), TraceJob("slot I2"), TraceJob("slot I3")};
    std::string received[3];
    int writes[3] = {0, 0, 0};
    std::int32_t told[3] = {kNotTold, kNotTold, kNotTold};
};

constexpr std::int32_t kOk = kResultSucceeded;
constexpr std::int32_t kNone = FetchRig::kNotTold;

TEST(VRAXFetch, EachMediaPartReachesTheSlotOfItsContentIdAndEverySlotIsTold)
{
    const auto served = VraxJobRig::servedHashes();
    ASSERT_EQ(3u, served.size());
    struct Case {
        const char* script;
        std::int32_t result;
        // Per slot I1, I2, I3: whether its bytes came whole, and what it was told.
        bool whole[3];
        std::int32_t told[3];
    } cases[] = {
        {"fetch3", kOk, {true, true, true}, {kOk, kOk, kOk}},
        {"fetch3-split", kOk, {true, true, true}, {kOk, kOk, kOk}},
        {"fetch2of3", kOk, {true, false, true}, {kOk, kResultCancelled, kOk}},
        {"fetch-unknown", kResultMissingItem, {true, false, false},
            {kOk, kResultMissingItem, kResultMissingItem}},
        {"fetch3-cutlast", kResultVraxReplyCut, {false, true, true}, {kResultVraxReplyCut, kOk, kOk}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        FetchRig rig;
        rig.registered();
        ASSERT_TRUE(rig.serve(c.script));
        EXPECT_EQ(c.result, rig.runFetch());
        EXPECT_TRUE(rig.job.isIn(&CVRAXJob::Idle));
        static const char* const kIds[] = {"I1", "I2", "I3"};
        for (int i = 0; i < 3; ++i) {
            SCOPED_TRACE(kIds[i]);
            if (c.whole[i])
                EXPECT_EQ(served.at(kIds[i]), rig.sha256(rig.received[i]));
            else
                EXPECT_NE(served.at(kIds[i]), rig.sha256(rig.received[i]));
            EXPECT_EQ(c.told[i], rig.told[i]);
        }
        const auto lines = rig.log();
        ASSERT_EQ(1u, lines.size());
        EXPECT_NE(std::string::npos, lines[0].find("request=media-req")) << lines[0];
    }
}

TEST(VRAXFetch, ThePartOfASlotWhoseReaderHasGoneIsSkippedOrTheFetchCancelled)
{
    struct Case {
        bool allIdle;
        std::int32_t result;
    } cases[] = {
        {false, kResultSucceeded},
        {true, kResultCancelled},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.allIdle);
        FetchRig rig;
        rig.registered();
        ASSERT_TRUE(rig.serve("fetch3"));
        // I3's part comes first.
        rig.batch.slots[2].opened = false;
        rig.batch.allIdle = c.allIdle;
        EXPECT_EQ(c.result, rig.runFetch());
        EXPECT_EQ(0, rig.writes[2]);
        if (c.allIdle) {
            EXPECT_EQ(0, rig.writes[0] + rig.writes[1]);
            EXPECT_EQ(kResultCancelled, rig.told[0]);
        } else {
            EXPECT_EQ(9000u, rig.received[1].size());
            EXPECT_EQ(kResultSucceeded, rig.told[0]);
        }
    }
}

// A slot's target cleared while a write to it is outstanding (its reader has
// gone): bytes of the part still to come fail the fetch with 59 and every
// other slot not done is told so; when the write held the part's last bytes
// the fetch goes on without a word to the gone slot. No case waits for ever.
TEST(VRAXFetch, ASlotWhoseTargetIsClearedDuringItsWriteFailsTheFetchOrIsPassedOver)
{
    const auto served = VraxJobRig::servedHashes();
    struct Case {
        const char* script;
        int cleared; // slot index: 1 is I2 (9000 bytes), 2 is I3 (1 byte)
        std::int32_t result;
        std::int32_t told[3];
    } cases[] = {
        {"fetch3-split", 1, kResultMissingItem, {kResultMissingItem, kNone, kOk}},
        {"fetch3", 2, kOk, {kOk, kOk, kNone}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        FetchRig rig;
        rig.registered();
        ASSERT_TRUE(rig.serve(c.script));
        TraceJob& gone = rig.sinks[c.cleared];
        gone.handler = [&rig, &c](TraceJob& self, CVXLEvent* event) {
            if (event->effectiveCode() == kEventPushWrite) {
                ++rig.writes[c.cleared];
                rig.batch.slots[c.cleared].target = nullptr;
                rig.batch.slots[c.cleared].opened = false;
            } else if (event->effectiveCode() == CVRAXJob::kFetchOverCode) {
                rig.told[c.cleared] = event->result();
            }
            self.finishEvent(event);
        };
        const std::int32_t result = rig.run(rig.fetch, 10000);
        EXPECT_EQ(c.result, result);
        rig.pump([&] { return rig.job.isIn(&CVRAXJob::Idle); }, 5000);
        EXPECT_TRUE(rig.job.isIn(&CVRAXJob::Idle)) << "the job stalled";
        EXPECT_EQ(1, rig.writes[c.cleared]) << "bytes went to a slot whose target was cleared";
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(c.told[i], rig.told[i]) << i;
        }
        if (c.result == kOk) {
            EXPECT_EQ(served.at("I1"), rig.sha256(rig.received[0]));
        }
    }
}

TEST(VRAXFetch, AFetchWithoutABatchIsRefusedAtOnce)
{
    FetchRig rig;
    rig.fetch.batch = nullptr;
    EXPECT_EQ(kResultFailed, rig.run(rig.fetch));
    rig.fetch.batch = &rig.batch;
    rig.batch.count = 0;
    EXPECT_EQ(kResultFailed, rig.run(rig.fetch));
}

TEST(VRAXFetch, ThroughTheProxyASplitReplyReachesEachSlotExactly)
{
    TESSEL_REQUIRE_TOOL(testToolSquid());
    const auto served = VraxJobRig::servedHashes();
    SquidProxy squid;
    ASSERT_TRUE(squid.start()) << squid.error();
    FetchRig rig;
    rig.registered();
    ASSERT_TRUE(rig.serve("fetch3-split"));
    rig.environment.items[kCfgProxyUri] = squid.proxyUri();
    EXPECT_EQ(kResultSucceeded, rig.runFetch());
    EXPECT_EQ(served.at("I1"), rig.sha256(rig.received[0]));
    EXPECT_EQ(served.at("I2"), rig.sha256(rig.received[1]));
    EXPECT_EQ(served.at("I3"), rig.sha256(rig.received[2]));
    EXPECT_FALSE(squid.accessLogLines("POST " + rig.environment.items[kCfgServerUri], 1).empty())
        << squid.accessLog();
}

} // namespace
