#include "engine/core/jobs/JobRunner.h"
#include "engine/core/jobs/VXLObjectQueue.h"
#include "engine/core/jobs/VXLSimpleEvent.h"
#include "tests/support/JobTreeDriver.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

int gDestroyed = 0;

struct HeapJob : TraceJob {
    using TraceJob::TraceJob;
    ~HeapJob() override { ++gDestroyed; }
};

TEST(JobRunner, JobsHandedOverBeforeTheStartWaitAndStartInOrder)
{
    JobTreeDriver driver;
    std::vector<std::string> trace;
    CJobRunner runner;
    EXPECT_STREQ(runner.name(), "Job Runner");
    TraceJob first("first", &trace), second("second", &trace);
    runner.runJob(&first);
    driver.attach(&runner);
    runner.runJob(&second); // attached, but its start not yet handled
    EXPECT_EQ(runner.waitingCount(), 2u);
    EXPECT_FALSE(runner.hasChildren());

    driver.runUntilIdle();
    EXPECT_EQ(runner.waitingCount(), 0u);
    EXPECT_EQ(runner.firstChild(), &first);
    EXPECT_EQ(first.nextSibling(), &second);
    const std::string start = std::to_string(kEventStart);
    EXPECT_EQ(trace, (std::vector<std::string> {"first:" + start, "second:" + start}));

    TraceJob third("third", &trace);
    runner.runJob(&third);
    EXPECT_EQ(third.parent(), &runner) << "a started runner attaches at once";
    EXPECT_EQ(runner.waitingCount(), 0u);
}

// A started runner and a client job that posts to it.
class JobRunnerTree : public ::testing::Test {
protected:
    JobRunnerTree()
    {
        driver.attach(&runner);
        driver.attach(&client);
        driver.runUntilIdle();
        gDestroyed = 0;
    }

    JobTreeDriver driver;
    CJobRunner runner;
    TraceJob client {"client"};
};

TEST_F(JobRunnerTree, RunAndStopRequestsNameTheirJobAsSubject)
{
    auto* heapJob = new HeapJob("heap");
    HeapJob memberJob("member");
    TraceJob stranger("stranger");
    driver.attach(&stranger);

    CVXLSimpleEvent run1(CJobRunner::kRunJobCode), run2(CJobRunner::kRunJobCode);
    run1.setSubject(heapJob);
    run2.setSubject(&memberJob);
    client.post(&runner, &run1);
    client.post(&runner, &run2);
    driver.runUntilIdle();
    EXPECT_TRUE(runner.isDescendant(heapJob));
    EXPECT_TRUE(runner.isDescendant(&memberJob));

    // A stop for a job outside the runner's tree only finishes the request.
    CVXLEvent stopStranger(CJobRunner::kStopJobCode, 201);
    stopStranger.setSubject(&stranger);
    client.post(&runner, &stopStranger);
    driver.runUntilIdle();
    EXPECT_EQ(client.codes.back(), 201);
    EXPECT_FALSE(stranger.stopRequested());

    CVXLSimpleEvent stop1(CJobRunner::kStopJobCode), stop2(CJobRunner::kStopJobCode);
    stop1.setSubject(heapJob);
    stop2.setSubject(&memberJob);
    client.post(&runner, &stop1);
    client.post(&runner, &stop2);
    driver.runUntilIdle();
    EXPECT_FALSE(runner.hasChildren());
    // The heap job was deleted by the runner, the member job left to its owner.
    EXPECT_EQ(gDestroyed, 1);
    EXPECT_EQ(memberJob.runState(), kHandlerFinished);
}

// The runner deletes a stopped heap job while a request to it still waits in
// its queue: the requester is answered, not left counting a reply for ever.
TEST_F(JobRunnerTree, RequestsToAStoppedHeapJobAreAnsweredBeforeItGoes)
{
    TempDeviceRoot root;
    auto* job = new HeapJob("heap");
    runner.runJob(job);
    driver.runUntilIdle();
    job->setWaiting(); // takes no request, as if busy with an earlier one
    CVXLEvent request(30, 301);
    client.post(job, &request);
    CVXLSimpleEvent stop(CJobRunner::kStopJobCode);
    stop.setSubject(job);
    client.post(&runner, &stop);
    driver.runUntilIdle();

    EXPECT_EQ(gDestroyed, 1);
    EXPECT_EQ(client.codes.back(), 301);
    EXPECT_EQ(client.results.back(), kResultCancelled);
    EXPECT_EQ(client.outstandingReplies(), 0);
    EXPECT_EQ(request.status(), kEventDone);
}

TEST(VXLObjectQueue, KeepsInsertionOrderAndDoesNotOwn)
{
    CVXLObjectQueue queue;
    EXPECT_EQ(queue.popFront(), nullptr);
    EXPECT_EQ(queue.front(), nullptr);
    CVXLObject a, b;
    queue.append(&a);
    queue.append(&b);
    queue.append(&a);
    EXPECT_EQ(queue.count(), 3u);
    EXPECT_EQ(queue.front(), &a);
    EXPECT_EQ(queue.popFront(), &a);
    EXPECT_EQ(queue.popFront(), &b);
    EXPECT_EQ(queue.begin().current(), &a);
    EXPECT_EQ(queue.popFront(), &a);
    EXPECT_EQ(queue.popFront(), nullptr);
    EXPECT_EQ(queue.count(), 0u);
}

} // namespace
