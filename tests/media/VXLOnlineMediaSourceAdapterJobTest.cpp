#include "engine/media/VXLOnlineMediaSourceAdapterJob.h"
#include "engine/transfer/VXLByteBufferSink.h"
#include "engine/transfer/VXLPushWriteRequest.h"
#include "tests/support/JobTreeDriver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class TraceBatch : public CVXLFetchBatch {
public:
    void slotOpened(std::int32_t slot) override { trace.push_back("opened " + std::to_string(slot)); }
    void slotDone(std::int32_t slot) override { trace.push_back("done " + std::to_string(slot)); }
    void slotReleased(std::int32_t slot) override { trace.push_back("released " + std::to_string(slot)); }
    void slotFinished(std::int32_t slot, bool succeeded) override
    {
        trace.push_back("finished " + std::to_string(slot) + (succeeded ? " ok" : " failed"));
    }
    std::vector<std::string> trace;
};

struct FetchFixture {
    JobTreeDriver driver;
    TraceJob owner {"owner"};
    TraceJob protocol {"protocol job"};
    TraceBatch batch;
    CVXLOnlineMediaSourceAdapterJob adapter {&batch, 3};
    CVXLByteBufferSink sink;
    CVXLEvent run {kEventXferRun, kEventXferRunDone};
    CVXLPushWriteRequest pushRequest;
    CVXLByteBuffer block;
    CVXLEvent fetchOver {
        CVXLOnlineMediaSourceAdapterJob::kFetchOver, CVXLOnlineMediaSourceAdapterJob::kFetchOver};

    FetchFixture()
    {
        driver.attach(&owner);
        driver.attach(&protocol);
        driver.attach(&adapter);
        driver.attach(&sink);
        adapter.setDestination(&sink);
        fetchOver.setReplyWanted(false);
        driver.runUntilIdle();
        owner.results.clear();
        owner.post(&adapter, &run);
        driver.runUntilIdle();
    }

    // The protocol job's push of one block; its answer, or -1 while none.
    std::int32_t pushBlock(const std::string& bytes, std::int32_t total)
    {
        block = CVXLByteBuffer();
        block.append(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
        pushRequest.buffer = &block;
        pushRequest.expectedTotal = total;
        const std::size_t before = protocol.results.size();
        protocol.post(&adapter, &pushRequest);
        driver.runUntilIdle(10000);
        return protocol.results.size() > before ? protocol.results.back() : -1;
    }

    void endFetch(std::int32_t result)
    {
        fetchOver.setResult(result);
        protocol.post(&adapter, &fetchOver);
        driver.runUntilIdle(10000);
    }
};

std::string textOf(const CVXLByteBuffer& buffer)
{
    return buffer.length() ? std::string(reinterpret_cast<const char*>(buffer.data()), buffer.length()) : "";
}

} // namespace

TEST(VXLOnlineMediaSourceAdapterJob, PushedBytesReachTheSinkAndTheFetchEndEndsTheTransfer)
{
    FetchFixture f;
    const std::string first(70000, 'a');
    const std::string second(5000, 'b');
    EXPECT_EQ(f.pushBlock(first, 75000), 0);
    EXPECT_EQ(f.sink.count(), 70000) << "answered once its bytes reached the sink";
    EXPECT_EQ(f.pushBlock(second, 75000), 0);
    EXPECT_TRUE(f.owner.results.empty());
    f.endFetch(0);
    EXPECT_EQ(f.owner.results, std::vector<std::int32_t> {0});
    EXPECT_TRUE(textOf(f.sink.data()) == first + second);
    EXPECT_EQ(f.batch.trace, (std::vector<std::string> {"opened 3", "done 3", "finished 3 ok"}));
}

TEST(VXLOnlineMediaSourceAdapterJob, AFailedFetchFailsTheTransferWithItsResult)
{
    FetchFixture f;
    EXPECT_EQ(f.pushBlock("partial", -1), 0);
    f.endFetch(56);
    EXPECT_EQ(f.owner.results, std::vector<std::int32_t> {56});
    EXPECT_EQ(f.batch.trace, (std::vector<std::string> {"opened 3", "done 3", "finished 3 failed"}));
}

TEST(VXLOnlineMediaSourceAdapterJob, AWithdrawnRunReleasesTheSlot)
{
    FetchFixture f;
    EXPECT_EQ(f.pushBlock("some", -1), 0);
    f.owner.cancelEventsWith(&f.adapter);
    f.driver.runUntilIdle(10000);
    EXPECT_EQ(f.batch.trace, (std::vector<std::string> {"opened 3", "released 3"}));
    EXPECT_EQ(f.owner.results, std::vector<std::int32_t> {24});
    EXPECT_EQ(f.pushBlock("late", -1), 24) << "a block after the end is refused";
}
