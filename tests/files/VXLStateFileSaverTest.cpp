#include "engine/files/VXLStateFileSaver.h"
#include "engine/core/jobs/VXLEventCodes.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/files/VXLFileStoreManager.h"
#include "tests/support/FileStoreFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr std::int32_t kReplyWritten = 900;

// An owner whose state is a text; it records what each write carried and
// what it was told.
class SavingJob : public CVXLEventHandler, private CVXLStateFileSaver::Owner {
public:
    const char* name() const override { return "Saving job"; }
    void onEvent(CVXLEvent* event) override
    {
        if (!saver.onWritten(event))
            finishEvent(event);
    }

    CVXLStateFileSaver saver {*this, *this, "state.x", kReplyWritten};
    std::string state;
    std::vector<std::string> written;
    // 0 for a write that succeeded, else its result.
    std::vector<std::int32_t> told;

private:
    void writeState(CVXLByteBuffer& out) override
    {
        out.append(state.data(), static_cast<std::uint32_t>(state.size()));
        written.push_back(state);
    }
    void stateSaved() override { told.push_back(0); }
    void stateNotSaved(std::int32_t result) override { told.push_back(result); }
};

// The saver over a file job that holds every write until the test answers
// it with a result.
struct HeldWritesRig : FileStoreFixture {
    TraceJob files {"files"};
    SavingJob job;
    std::vector<CVXLEvent*> held;

    HeldWritesRig()
    {
        files.handler = [this](TraceJob&, CVXLEvent* event) {
            if (event->requestCode() == kEventStart)
                files.finishEvent(event);
            else
                held.push_back(event);
        };
        job.saver.setFileStoreManager(&files);
        driver.attach(&files);
        driver.attach(&job);
        driver.runUntilIdle();
    }

    std::uint32_t save(const std::string& state)
    {
        job.state = state;
        const std::uint32_t number = job.saver.save();
        driver.runUntilIdle();
        return number;
    }

    void answerNext(std::int32_t result)
    {
        ASSERT_FALSE(held.empty());
        CVXLEvent* write = held.front();
        held.erase(held.begin());
        write->setResult(result);
        files.finishEvent(write);
        driver.runUntilIdle();
    }
};

TEST(VXLStateFileSaver, SavesAskedDuringAWriteFoldIntoOneMoreWriteOfTheLatestState)
{
    HeldWritesRig rig;
    const std::uint32_t first = rig.save("a");
    const std::uint32_t second = rig.save("b");
    const std::uint32_t third = rig.save("c");
    EXPECT_EQ(rig.held.size(), 1u);
    EXPECT_EQ(rig.job.written, std::vector<std::string> {"a"});
    EXPECT_TRUE(rig.job.saver.pending());

    rig.answerNext(kResultSucceeded);
    EXPECT_EQ(rig.job.written, (std::vector<std::string> {"a", "c"}));
    EXPECT_EQ(rig.job.told, std::vector<std::int32_t> {0});
    EXPECT_TRUE(rig.job.saver.answered(first));
    EXPECT_FALSE(rig.job.saver.answered(second));

    rig.answerNext(kResultSucceeded);
    EXPECT_EQ(rig.job.told, (std::vector<std::int32_t> {0, 0}));
    EXPECT_TRUE(rig.job.saver.answered(second));
    EXPECT_TRUE(rig.job.saver.answered(third));
    EXPECT_TRUE(rig.job.saver.idle());
    EXPECT_TRUE(rig.held.empty());
}

// A failed write is told to the owner. A save it carried is answered by the
// write that carries it again when one was asked for, else with the failure.
TEST(VXLStateFileSaver, AFailedWriteIsToldAndItsSavesWaitForTheNextWrite)
{
    HeldWritesRig rig;
    const std::uint32_t first = rig.save("a");
    rig.save("b");
    rig.answerNext(kResultStorageFailed);
    EXPECT_EQ(rig.job.told, std::vector<std::int32_t> {kResultStorageFailed});
    EXPECT_TRUE(rig.job.saver.failed());
    EXPECT_FALSE(rig.job.saver.answered(first)) << "the write under way carries it again";

    rig.answerNext(kResultSucceeded);
    EXPECT_TRUE(rig.job.saver.answered(first));
    EXPECT_EQ(rig.job.saver.lastResult(), kResultSucceeded);
    EXPECT_FALSE(rig.job.saver.failed());

    const std::uint32_t alone = rig.save("c");
    rig.answerNext(kResultStorageFailed);
    EXPECT_TRUE(rig.job.saver.answered(alone));
    EXPECT_EQ(rig.job.saver.lastResult(), kResultStorageFailed);
    EXPECT_EQ(rig.job.saver.failures(), 2u);
    EXPECT_EQ(rig.job.written, (std::vector<std::string> {"a", "b", "c"}));
}

TEST(VXLStateFileSaver, NothingIsWrittenWithoutAFileStore)
{
    FileStoreFixture fixture;
    SavingJob job;
    fixture.driver.attach(&job);
    fixture.driver.runUntilIdle();
    EXPECT_EQ(job.saver.save(), 0u);
    EXPECT_TRUE(job.saver.idle());
    EXPECT_TRUE(job.written.empty());
    EXPECT_FALSE(job.saver.keepDamagedCopy());
}

// Over the real File Store Manager: the damaged copy, and an owner of many
// files naming the next one.
TEST(VXLStateFileSaver, KeepsADamagedFileAsideAndWritesTheFileNamed)
{
    FileStoreFixture fixture;
    CVXLFileStoreManager files;
    files.setFileStore(&fixture.store);
    SavingJob job;
    job.saver.setFileStoreManager(&files);
    fixture.driver.attach(&files);
    fixture.driver.attach(&job);
    fixture.driver.runUntilIdle();

    fixture.writeHostFile("state.x", "damaged");
    EXPECT_TRUE(job.saver.keepDamagedCopy());
    EXPECT_EQ(fixture.readHostFile("state.x.bad"), "damaged");

    job.state = "whole";
    EXPECT_NE(job.saver.save(), 0u);
    fixture.driver.runUntilIdle();
    job.saver.setFileName("item-3.md");
    job.state = "record";
    EXPECT_NE(job.saver.save(), 0u);
    fixture.driver.runUntilIdle();
    EXPECT_EQ(fixture.readHostFile("state.x"), "whole");
    EXPECT_EQ(fixture.readHostFile("item-3.md"), "record");
    EXPECT_EQ(fixture.readHostFile("state.x.bad"), "damaged");
    EXPECT_EQ(job.told, (std::vector<std::int32_t> {0, 0}));
}

} // namespace
