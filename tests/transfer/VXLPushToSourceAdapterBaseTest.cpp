#include "engine/transfer/VXLPushToSourceAdapterBase.h"
#include "engine/transfer/VXLFileStreamSinkJob.h"
#include "tests/support/FileStoreFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A producer built on the base: it pushes its blocks one by one, each when
// the previous one was consumed, and notes how many bytes the sink had
// received at each answer. With `endLater` it says nothing after its last
// block, so the end is pushed from outside while the sink waits.
class BlockProducer : public CVXLPushToSourceAdapterBase {
public:
    void onPushConsumed() override
    {
        sinkCountAtAnswer.push_back(sink->count());
        if (next < blocks.size())
            return pushNext();
        if (!endLater)
            endOfPush();
    }
    void pushNext()
    {
        CVXLByteBuffer buffer;
        buffer.append(blocks[next].data(), static_cast<std::uint32_t>(blocks[next].size()));
        ++next;
        push(buffer, total);
    }

    CVXLXferJobBase* sink = nullptr;
    std::vector<std::string> blocks;
    std::size_t next = 0;
    std::int32_t total = -1;
    bool endLater = false;
    std::vector<std::int32_t> sinkCountAtAnswer;
};

} // namespace

TEST(VXLPushToSourceAdapterBase, EachBlockIsAnsweredAfterTheSinkTookItAndTheFileIsTheConcatenation)
{
    struct Case {
        const char* what;
        std::vector<std::size_t> blockSizes;
        bool endLater;
    };
    const Case cases[] = {
        {"blocks larger and smaller than a chunk", {120000, 1, 51200, 70000}, false},
        {"one block below a chunk", {300}, false},
        {"an empty block between others", {1000, 0, 2000}, false},
        {"end pushed while the sink waits", {60000, 60000}, true},
    };
    for (const Case& c : cases) {
        FileStoreFixture f;
        TraceJob owner("owner");
        BlockProducer producer;
        CVXLFileStreamSinkJob sink;
        f.driver.attach(&owner);
        f.driver.attach(&producer);
        f.driver.attach(&sink);
        sink.setFileStore(f.store.openStream());
        sink.setPath("pushed.bin");
        producer.setDestination(&sink);
        producer.sink = &sink;
        producer.endLater = c.endLater;
        std::string all;
        std::uint32_t seed = 1;
        for (std::size_t size : c.blockSizes) {
            producer.blocks.push_back(FileStoreFixture::randomBytes(size, seed++));
            all += producer.blocks.back();
        }
        producer.total = static_cast<std::int32_t>(all.size());

        f.driver.runUntilIdle();
        owner.results.clear();
        CVXLEvent run(kEventXferRun, kEventXferRunDone);
        owner.post(&producer, &run);
        f.driver.runUntilIdle();
        producer.pushNext();
        f.driver.runUntilIdle(100000);
        if (c.endLater) {
            EXPECT_TRUE(owner.results.empty()) << c.what << ": no end before it is pushed";
            EXPECT_EQ(producer.pushPhase(), CVXLPushToSourceAdapterBase::kSinkWaiting) << c.what;
            producer.endOfPush();
            f.driver.runUntilIdle();
        }
        ASSERT_EQ(owner.results, std::vector<std::int32_t> {0}) << c.what;
        std::vector<std::int32_t> expected;
        std::int32_t sum = 0;
        for (std::size_t size : c.blockSizes)
            expected.push_back(sum += static_cast<std::int32_t>(size));
        EXPECT_EQ(producer.sinkCountAtAnswer, expected) << c.what;

        CVXLEvent close(kEventXferClose, kEventXferCloseDone);
        owner.post(&producer, &close);
        f.driver.runUntilIdle();
        EXPECT_TRUE(f.readHostFile("pushed.bin") == all) << c.what;
        f.store.closeStream(sink.fileStore());
    }
}
