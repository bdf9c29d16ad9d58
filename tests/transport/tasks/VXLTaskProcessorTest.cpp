#include "engine/transport/tasks/VXLTaskProcessor.h"

#include "engine/core/jobs/VXLCallbackEvent.h"
#include "engine/transport/tasks/VXLTransaction.h"
#include "engine/transport/tasks/VXLTransactionCodes.h"
#include "engine/transport/tasks/VXLTransactionListener.h"
#include "tests/support/JobTreeDriver.h"

#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

extern char** environ;

namespace {

// Records every result it is told.
class RecordingListener : public CVXLTransactionListener {
public:
    void transactionFinished(std::int32_t result) override { results.push_back(result); }
    std::vector<std::int32_t> results;
};

// A transaction with its own listener.
struct Job {
    explicit Job(const char* type)
        : transaction(CVXLString(type), CVXLTransactionListenerRef(&listener))
    {
    }
    RecordingListener listener;
    CVXLTransaction transaction;
};

// Runs transactions of one type. With autoResult set it ends each one as
// soon as it starts; otherwise the test ends it with complete().
class StubProcessor : public CVXLProcessor {
public:
    StubProcessor(const char* type, const char* name)
        : type_(type)
    {
        setProcessorName(CVXLString(name));
    }

    bool acceptsTransaction(CVXLTransaction* transaction) override
    {
        return !isBusy() && transaction->typeName() == type_;
    }
    int beginTransaction(CVXLTransaction* transaction) override
    {
        if (refuse)
            return 0;
        takeTransaction(transaction);
        return 1;
    }
    void onEvent(CVXLEvent* event) override
    {
        if (event->effectiveCode() != kEventStart)
            return CVXLProcessor::onEvent(event);
        startedAt.push_back(tickTime());
        started.push_back(transaction());
        finishEvent(event);
        if (autoResult >= 0)
            finish(autoResult);
    }
    void complete(std::int32_t result) { finish(result); }

    bool refuse = false;
    std::int32_t autoResult = -1;
    std::vector<std::uint32_t> startedAt;
    std::vector<CVXLTransaction*> started;

private:
    CVXLString type_;
};

class TaskProcessorTest : public ::testing::Test {
protected:
    void SetUp() override { driver.attach(&tasks); }

    // Runs the tree until nothing can run now; the clock stays where it is,
    // since no pass waits for time.
    void tick() { driver.runUntilIdle(); }

    // Nothing armed: a tree left alone never wakes.
    void expectAsleep()
    {
        EXPECT_FALSE(tasks.timerArmed());
        EXPECT_EQ(driver.nextTimeout(), kNoDeadline);
        EXPECT_FALSE(driver.runToNextTimer());
    }

    JobTreeDriver driver;
    CVXLTaskProcessor tasks;
};

TEST_F(TaskProcessorTest, DispatchesOnePerPassInSubmissionOrderWithoutWaiting)
{
    StubProcessor stub("A", "Stub");
    stub.autoResult = kResultSucceeded;
    tasks.registerProcessor(&stub);
    Job first("A");
    Job second("A");
    ASSERT_EQ(tasks.addTransaction(&first.transaction), 1);
    ASSERT_EQ(tasks.addTransaction(&second.transaction), 1);
    EXPECT_TRUE(tasks.timerArmed());
    EXPECT_EQ(driver.nextTimeout(), 0u);

    // One pass hands one on; the second waits for the processor's end.
    driver.step();
    ASSERT_EQ(stub.started.size(), 1u);
    EXPECT_EQ(stub.started[0], &first.transaction);
    EXPECT_EQ(tasks.queuedCount(), 1u);

    tick();
    ASSERT_EQ(stub.started.size(), 2u);
    EXPECT_EQ(stub.started[1], &second.transaction);
    EXPECT_EQ(stub.startedAt, (std::vector<std::uint32_t> {0, 0}));
    EXPECT_EQ(driver.now(), 0u);
    EXPECT_EQ(first.listener.results, std::vector<std::int32_t> {kResultSucceeded});
    EXPECT_EQ(second.listener.results, std::vector<std::int32_t> {kResultSucceeded});
    EXPECT_EQ(first.transaction.processor(), nullptr);

    // An empty queue leaves nothing armed; the next submission runs at the
    // next step.
    expectAsleep();
    Job third("A");
    ASSERT_EQ(tasks.addTransaction(&third.transaction), 1);
    EXPECT_EQ(driver.nextTimeout(), 0u);
    tick();
    EXPECT_EQ(third.listener.results, std::vector<std::int32_t> {kResultSucceeded});
}

TEST_F(TaskProcessorTest, BusyProcessorIsSkippedAndItsTransactionKeepsItsPlace)
{
    StubProcessor slow("A", "Slow");
    StubProcessor quick("B", "Quick");
    quick.autoResult = kResultSucceeded;
    tasks.registerProcessor(&slow);
    tasks.registerProcessor(&quick);
    Job a1("A");
    Job a2("A");
    Job b1("B");
    Job unknown("Z");
    for (Job* job : {&a1, &a2, &unknown, &b1})
        ASSERT_EQ(tasks.addTransaction(&job->transaction), 1);

    tick();
    EXPECT_EQ(slow.started, std::vector<CVXLTransaction*> {&a1.transaction});
    EXPECT_EQ(quick.started, std::vector<CVXLTransaction*> {&b1.transaction});
    EXPECT_EQ(tasks.queuedCount(), 2u);
    // What waits for the busy processor arms nothing.
    expectAsleep();

    // Its end hands it the next one at once.
    slow.complete(kResultTransactionFailed);
    tick();
    EXPECT_EQ(a1.listener.results, std::vector<std::int32_t> {kResultTransactionFailed});
    EXPECT_EQ(slow.started.back(), &a2.transaction);
    EXPECT_EQ(slow.startedAt.back(), 0u);
    // A type nobody runs stays queued, and wakes nobody.
    EXPECT_EQ(tasks.queuedCount(), 1u);
    expectAsleep();
    EXPECT_TRUE(unknown.listener.results.empty());

    // A submission behind it still finds its idle processor.
    Job b2("B");
    ASSERT_EQ(tasks.addTransaction(&b2.transaction), 1);
    tick();
    EXPECT_EQ(b2.listener.results, std::vector<std::int32_t> {kResultSucceeded});
    EXPECT_EQ(tasks.queuedCount(), 1u);
    expectAsleep();
}

TEST_F(TaskProcessorTest, CancelQueuedAndRunningReportsOnce)
{
    StubProcessor stub("A", "Stub");
    tasks.registerProcessor(&stub);
    Job running("A");
    Job queued("A");
    ASSERT_EQ(tasks.addTransaction(&running.transaction), 1);
    ASSERT_EQ(tasks.addTransaction(&queued.transaction), 1);
    tick();
    ASSERT_EQ(stub.started.size(), 1u);

    // Queued: told before cancel returns.
    queued.transaction.cancel();
    EXPECT_EQ(queued.listener.results, std::vector<std::int32_t> {kResultCancelled});
    EXPECT_EQ(tasks.queuedCount(), 0u);

    // Running: told later, by the processor.
    running.transaction.cancel();
    EXPECT_TRUE(running.listener.results.empty());
    driver.runUntilIdle();
    EXPECT_EQ(running.listener.results, std::vector<std::int32_t> {kResultCancelled});
    EXPECT_FALSE(stub.isBusy());

    // Finished transactions are out of reach: no second report, and no
    // cancel of what the processor runs next.
    running.transaction.cancel();
    queued.transaction.cancel();
    Job next("A");
    ASSERT_EQ(tasks.addTransaction(&next.transaction), 1);
    tick();
    running.transaction.cancel();
    driver.runUntilIdle();
    stub.complete(kResultSucceeded);
    driver.runUntilIdle();
    EXPECT_EQ(running.listener.results.size(), 1u);
    EXPECT_EQ(queued.listener.results.size(), 1u);
    EXPECT_EQ(next.listener.results, std::vector<std::int32_t> {kResultSucceeded});
}

TEST_F(TaskProcessorTest, CancelArrivingAfterTheProcessorsOwnStopDoesNotReachTheNextTransaction)
{
    StubProcessor stub("A", "Stub");
    tasks.registerProcessor(&stub);
    Job first("A");
    Job second("A");
    tasks.addTransaction(&first.transaction);
    tick();
    // Both in one step: the stop goes first and the cancel is left queued.
    stub.complete(kResultSucceeded);
    first.transaction.cancel();
    driver.runUntilIdle();
    EXPECT_EQ(first.listener.results, std::vector<std::int32_t> {kResultSucceeded});

    tasks.addTransaction(&second.transaction);
    tick();
    driver.runUntilIdle();
    EXPECT_TRUE(second.listener.results.empty());
    EXPECT_TRUE(stub.isBusy());
    stub.complete(kResultSucceeded);
    driver.runUntilIdle();
    EXPECT_EQ(second.listener.results, std::vector<std::int32_t> {kResultSucceeded});
}

TEST_F(TaskProcessorTest, RefusedTransactionFailsAndTheProcessorStaysIdle)
{
    StubProcessor stub("A", "Stub");
    stub.refuse = true;
    tasks.registerProcessor(&stub);
    Job refused("A");
    ASSERT_EQ(tasks.addTransaction(&refused.transaction), 1);
    tick();
    EXPECT_EQ(refused.listener.results, std::vector<std::int32_t> {kResultTransactionFailed});
    EXPECT_TRUE(stub.started.empty());
    EXPECT_EQ(stub.parent(), nullptr);
    EXPECT_EQ(refused.transaction.taskProcessor(), nullptr);

    stub.refuse = false;
    stub.autoResult = kResultSucceeded;
    Job accepted("A");
    ASSERT_EQ(tasks.addTransaction(&accepted.transaction), 1);
    tick();
    EXPECT_EQ(accepted.listener.results, std::vector<std::int32_t> {kResultSucceeded});
    EXPECT_EQ(refused.listener.results.size(), 1u);
}

TEST_F(TaskProcessorTest, StopCancelsQueuedAndRunningTransactions)
{
    StubProcessor stub("A", "Stub");
    tasks.registerProcessor(&stub);
    Job running("A");
    Job queued1("A");
    Job queued2("Z");
    for (Job* job : {&running, &queued1, &queued2})
        tasks.addTransaction(&job->transaction);
    tick();
    ASSERT_EQ(stub.started.size(), 1u);

    tasks.stop();
    driver.runUntilIdle();
    for (Job* job : {&running, &queued1, &queued2})
        EXPECT_EQ(job->listener.results, std::vector<std::int32_t> {kResultCancelled});
    EXPECT_EQ(tasks.runState(), kHandlerFinished);
    EXPECT_EQ(tasks.queuedCount(), 0u);
    EXPECT_EQ(tasks.processorCount(), 0u);
    EXPECT_FALSE(tasks.timerArmed());
    // Nothing is registered any more.
    Job late("A");
    EXPECT_EQ(tasks.addTransaction(&late.transaction), 0);
}

TEST_F(TaskProcessorTest, SubmissionsThatCannotBeQueued)
{
    Job job("A");
    EXPECT_EQ(tasks.addTransaction(&job.transaction), 0);
    EXPECT_FALSE(tasks.timerArmed());
    EXPECT_EQ(tasks.addTransaction(nullptr), 0);

    StubProcessor stub("A", "Stub");
    tasks.registerProcessor(&stub);
    ASSERT_EQ(tasks.addTransaction(&job.transaction), 1);
    EXPECT_EQ(job.transaction.taskProcessor(), &tasks);
    // The same transaction twice would be reported twice.
    EXPECT_EQ(tasks.addTransaction(&job.transaction), 0);
    EXPECT_EQ(tasks.queuedCount(), 1u);
    EXPECT_EQ(tasks.removeTransaction(&job.transaction), 1);
    EXPECT_EQ(tasks.removeTransaction(&job.transaction), 0);
    EXPECT_EQ(job.listener.results, std::vector<std::int32_t> {kResultCancelled});
}

TEST_F(TaskProcessorTest, TransactionDeletedWhileQueuedOrRunningIsForgotten)
{
    StubProcessor stub("A", "Stub");
    tasks.registerProcessor(&stub);
    RecordingListener listener;
    auto* running = new CVXLTransaction(CVXLString("A"), CVXLTransactionListenerRef(&listener));
    auto* queued = new CVXLTransaction(CVXLString("A"), CVXLTransactionListenerRef(&listener));
    tasks.addTransaction(running);
    tasks.addTransaction(queued);
    tick();
    ASSERT_EQ(stub.started.size(), 1u);

    delete queued;
    EXPECT_EQ(tasks.queuedCount(), 0u);
    delete running;
    driver.runUntilIdle();
    EXPECT_FALSE(stub.isBusy());
    EXPECT_TRUE(listener.results.empty());

    Job next("A");
    tasks.addTransaction(&next.transaction);
    tick();
    stub.complete(kResultSucceeded);
    driver.runUntilIdle();
    EXPECT_EQ(next.listener.results, std::vector<std::int32_t> {kResultSucceeded});
}

TEST_F(TaskProcessorTest, CallbackEventListenerBringsTheResultToItsOwner)
{
    StubProcessor stub("A", "Stub");
    stub.autoResult = kResultTransactionFailed;
    tasks.registerProcessor(&stub);
    TraceJob owner("Owner");
    driver.attach(&owner);
    CVXLCallbackEvent callback(&owner, 7);
    CVXLTransaction transaction(CVXLString("A"), CVXLTransactionListenerRef(&callback));
    tasks.addTransaction(&transaction);
    tick();
    ASSERT_FALSE(owner.codes.empty());
    EXPECT_EQ(owner.codes.back(), 7);
    EXPECT_EQ(owner.results.back(), kResultTransactionFailed);
}

TEST(Transaction, SequenceNumbersCountUp)
{
    CVXLTransaction a(CVXLString("A"), CVXLTransactionListenerRef());
    CVXLTransaction b(CVXLString("B"), CVXLTransactionListenerRef());
    EXPECT_GT(a.sequenceNumber(), 0);
    EXPECT_EQ(b.sequenceNumber(), a.sequenceNumber() + 1);
    EXPECT_EQ(a.typeName(), "A");
}

// The counter is process-wide, so "the first is 1" needs a process that
// has built none yet: this test runs itself again in a fresh one.
TEST(Transaction, FirstOfTheProcessIsNumberOne)
{
    if (std::getenv("TESSEL_FRESH_PROCESS")) {
        std::int32_t number = 0;
        {
            CVXLTransaction first(CVXLString("A"), CVXLTransactionListenerRef());
            number = first.sequenceNumber();
        }
        std::_Exit(number == 1 ? 0 : 3);
    }
    std::string filter = "--gtest_filter=Transaction.FirstOfTheProcessIsNumberOne";
    std::string self = "/proc/self/exe";
    char* argv[] = {self.data(), filter.data(), nullptr};
    std::vector<std::string> env = {"TESSEL_FRESH_PROCESS=1"};
    std::vector<char*> envp;
    for (char** e = environ; *e; ++e)
        envp.push_back(*e);
    envp.push_back(env[0].data());
    envp.push_back(nullptr);
    pid_t child = 0;
    ASSERT_EQ(posix_spawn(&child, self.c_str(), nullptr, nullptr, argv, envp.data()), 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace
