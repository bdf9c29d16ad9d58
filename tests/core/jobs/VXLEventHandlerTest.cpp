#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLCancelNotice.h"
#include "engine/core/jobs/VXLPayloadEvent.h"
#include "engine/core/jobs/VXLSimpleEvent.h"
#include "tests/support/JobTreeDriver.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr std::int32_t kHold = 10;
constexpr std::int32_t kRelease = 99;

// Keeps events with code kHold in progress until a kRelease signal arrives.
void holdUntilReleased(TraceJob& job, CVXLEvent* event, std::vector<CVXLEvent*>& held)
{
    if (event->effectiveCode() == kHold) {
        held.push_back(event);
        return;
    }
    if (event->effectiveCode() == kRelease) {
        for (CVXLEvent* e : held)
            job.finishEvent(e);
        held.clear();
    }
    job.finishEvent(event);
}

std::vector<std::int32_t> after(const std::vector<std::int32_t>& codes, std::size_t skip)
{
    return {codes.begin() + static_cast<std::ptrdiff_t>(std::min(skip, codes.size())), codes.end()};
}

struct QueueFixture : ::testing::Test {
    JobTreeDriver driver;
    TraceJob sender {"sender"};
    TraceJob worker {"worker"};
    std::vector<CVXLEvent*> held;

    void SetUp() override
    {
        worker.handler = [this](TraceJob& job, CVXLEvent* e) { holdUntilReleased(job, e, held); };
        driver.attach(&sender);
        driver.attach(&worker);
        driver.runUntilIdle();
        ASSERT_EQ(worker.codes, std::vector<std::int32_t> {kEventStart});
        ASSERT_EQ(worker.runState(), kHandlerIdle);
    }
};

TEST_F(QueueFixture, OneIncomingPerStepButEveryOwnEventInSequenceOrder)
{
    CVXLSimpleEvent first(kHold), second(11), own1(20), own2(21);
    sender.post(&worker, &first);
    worker.post(&worker, &own1);
    sender.post(&worker, &second);
    worker.post(&worker, &own2);
    EXPECT_EQ(worker.incomingCount(), 2u);

    driver.step();
    // first (lowest number), then the own events; second waits for first.
    EXPECT_EQ(after(worker.codes, 1), (std::vector<std::int32_t> {kHold, 20, 21}));
    EXPECT_EQ(first.status(), kEventInProgress);
    EXPECT_EQ(second.status(), kEventQueued);
    // Renumbered: the one event left is numbered 2, the counter continues at 3.
    EXPECT_EQ(second.sequence(), 2u);
    EXPECT_EQ(worker.runState(), kHandlerBusy);

    driver.runUntilIdle();
    EXPECT_EQ(worker.codes.size(), 4u) << "nothing taken while an incoming event is current";

    CVXLSimpleEvent release(kRelease);
    worker.post(&worker, &release);
    driver.runUntilIdle();
    EXPECT_EQ(after(worker.codes, 4), (std::vector<std::int32_t> {kRelease, 11}));
    EXPECT_EQ(first.status(), kEventDone);
    EXPECT_EQ(second.status(), kEventDone);
    EXPECT_EQ(worker.runState(), kHandlerIdle);
}

TEST_F(QueueFixture, UrgentIncomingWaitsForTheCurrentOneThenGoesFirst)
{
    CVXLSimpleEvent current(kHold), normal(11), urgent(12);
    sender.post(&worker, &current);
    driver.step();
    sender.post(&worker, &normal);
    urgent.setSource(&sender);
    urgent.setKind(kEventUrgent);
    worker.receive(&urgent);
    EXPECT_EQ(urgent.sequence(), 1u);
    driver.runUntilIdle();
    EXPECT_EQ(worker.codes.back(), kHold);

    CVXLSimpleEvent release(kRelease);
    worker.post(&worker, &release);
    driver.runUntilIdle();
    EXPECT_EQ(after(worker.codes, 2), (std::vector<std::int32_t> {kRelease, 12, 11}));
}

TEST_F(QueueFixture, ReplyReturnsToTheRequestersOwnQueue)
{
    CVXLEvent request(30, 31);
    CVXLSimpleEvent notice(32);
    worker.handler = [](TraceJob& job, CVXLEvent* e) {
        if (e->effectiveCode() == 30)
            e->setResult(kResultFailed, "no route");
        job.finishEvent(e);
    };
    sender.post(&worker, &notice);
    EXPECT_EQ(sender.outstandingReplies(), 0) << "no reply wanted, nothing counted";
    sender.post(&worker, &request);
    EXPECT_EQ(sender.outstandingReplies(), 1);

    driver.step(); // worker takes notice
    driver.step(); // worker takes request and answers
    EXPECT_EQ(request.kind(), kEventReply);
    EXPECT_EQ(request.source(), &worker);
    EXPECT_EQ(request.effectiveCode(), 31);
    EXPECT_EQ(sender.incomingCount(), 0u) << "a reply goes to the own queue";
    EXPECT_EQ(sender.runState(), kHandlerRunnable);

    driver.runUntilIdle();
    ASSERT_EQ(sender.codes.back(), 31);
    EXPECT_EQ(sender.results.back(), kResultFailed);
    EXPECT_EQ(sender.outstandingReplies(), 0);
    // A member event finished at its owner is ready for reuse.
    EXPECT_EQ(request.status(), kEventDone);
    EXPECT_EQ(request.result(), kResultSucceeded);
    EXPECT_STREQ(request.resultText().c_str(), "");
}

TEST_F(QueueFixture, ForwardedRequestIsAnsweredStraightToItsSender)
{
    TraceJob middle("middle");
    driver.attach(&middle);
    driver.runUntilIdle();
    middle.handler = [this](TraceJob& job, CVXLEvent* e) {
        if (e->effectiveCode() == 40)
            job.forward(&worker, e);
        else
            job.finishEvent(e);
    };
    CVXLEvent request(40, 41), next(42, 43);
    sender.post(&middle, &request);
    sender.post(&middle, &next);
    driver.runUntilIdle();
    EXPECT_EQ(worker.codes.back(), 40);
    EXPECT_EQ(middle.codes, (std::vector<std::int32_t> {kEventStart, 40, 42}));
    EXPECT_EQ(sender.codes, (std::vector<std::int32_t> {kEventStart, 41, 43}));
    EXPECT_EQ(sender.outstandingReplies(), 0);
}

// Cancelling the traffic between two jobs marks every touched event with 24
// and still answers each request: a reply waiting in the canceller's own
// queue, a request the other job is working on, requests still queued there.
TEST(VXLEventHandlerCancel, CancelTouchesEveryEventAndDropsNone)
{
    constexpr std::int32_t kCancelAll = 100;
    JobTreeDriver driver;
    TraceJob worker("worker"), sender("sender");
    std::vector<CVXLEvent*> held;
    int touched = -1;
    // The worker keeps kHold requests pending while it goes on taking others.
    worker.handler = [&](TraceJob& job, CVXLEvent* e) {
        const std::int32_t code = e->effectiveCode(); // a heap notice dies when finished
        if (code == kEventCancelNotice) {
            CVXLEvent* cancelled = static_cast<CVXLCancelNotice*>(e)->cancelled();
            held.erase(std::remove(held.begin(), held.end(), cancelled), held.end());
            job.finishEvent(cancelled);
        }
        holdUntilReleased(job, e, held);
        if (code == kHold)
            job.resume();
    };
    sender.handler = [&](TraceJob& job, CVXLEvent* e) {
        if (e->effectiveCode() == kCancelAll)
            touched = job.cancelEventsWith(&worker);
        job.finishEvent(e);
    };
    driver.attach(&worker); // stepped before the sender
    driver.attach(&sender);
    driver.runUntilIdle();

    CVXLEvent inProgress(kHold, 52), answered(50, 51), queued1(53, 54), queued2(55, 56);
    CVXLSimpleEvent cancelAll(kCancelAll);
    sender.post(&worker, &inProgress);
    sender.post(&worker, &answered);
    sender.post(&worker, &queued1);
    sender.post(&worker, &queued2);
    driver.step(); // the worker holds inProgress
    ASSERT_EQ(inProgress.status(), kEventInProgress);
    sender.post(&sender, &cancelAll);
    // The worker answers `answered`; the sender then cancels before it reads
    // the reply, which lies in the same snapshot behind kCancelAll.
    driver.step();
    EXPECT_EQ(touched, 4);
    EXPECT_EQ(inProgress.status(), kEventCancelledByPeer);
    EXPECT_EQ(queued1.status(), kEventCancelledByPeer);
    EXPECT_EQ(queued2.status(), kEventCancelledByPeer);

    driver.runUntilIdle();
    EXPECT_EQ(after(sender.codes, 1), (std::vector<std::int32_t> {kCancelAll, 51, 52, 54, 56}));
    EXPECT_EQ(after(sender.results, 1),
        (std::vector<std::int32_t> {
            0, kResultCancelled, kResultCancelled, kResultCancelled, kResultCancelled}));
    EXPECT_EQ(sender.outstandingReplies(), 0);
    EXPECT_TRUE(held.empty());
    EXPECT_NE(std::find(worker.codes.begin(), worker.codes.end(), kEventCancelNotice), worker.codes.end());
    for (CVXLEvent* e : {&answered, &inProgress, &queued1, &queued2})
        EXPECT_EQ(e->status(), kEventDone);
    EXPECT_EQ(worker.runState(), kHandlerIdle);
    EXPECT_EQ(sender.runState(), kHandlerIdle);
}

TEST_F(QueueFixture, CancellingAWaitingReplyLowersTheOutstandingCount)
{
    CVXLEvent request(60, 61);
    sender.post(&worker, &request);
    driver.step();
    ASSERT_EQ(request.kind(), kEventReply);
    EXPECT_EQ(sender.outstandingReplies(), 1);
    EXPECT_EQ(sender.cancelEvent(&request), 1);
    EXPECT_EQ(sender.cancelEvent(&request), 0);
    EXPECT_EQ(request.status(), kEventDone);
    EXPECT_EQ(sender.outstandingReplies(), 0);
    driver.runUntilIdle();
    EXPECT_EQ(sender.runState(), kHandlerIdle);
    EXPECT_EQ(sender.codes.size(), 1u) << "the cancelled reply is not delivered";
}

TEST_F(QueueFixture, IncomingAndInProgressEventsAreNotTakenBack)
{
    CVXLEvent request(kHold, 61), queued(62, 63);
    sender.post(&worker, &request);
    driver.step();
    sender.post(&worker, &queued);
    EXPECT_EQ(worker.cancelEvent(&request), 0);
    EXPECT_EQ(worker.cancelEvent(&queued), 0);
    EXPECT_EQ(sender.cancelEvent(&queued), 0);
}

// Counts destructions, to show that heap events die exactly once and member
// events never.
struct CountedEvent : CVXLEvent {
    static int destroyed;
    CountedEvent()
        : CVXLEvent(70, 71)
    {
    }
    ~CountedEvent() override { ++destroyed; }
};
int CountedEvent::destroyed = 0;

struct Tagged {
    virtual ~Tagged() = default;
    int tag = 7;
};
// The event part does not start the block.
struct TaggedEvent : Tagged, CVXLSimpleEvent {
    TaggedEvent()
        : CVXLSimpleEvent(72)
    {
    }
};
struct HolderObject : CVXLObject {
    CVXLSimpleEvent inside {73};
};

TEST(VXLEventHeap, TheAllocationPathAloneMarksHeapEvents)
{
    CVXLSimpleEvent onStack(1);
    EXPECT_FALSE(onStack.heapAllocated());
    auto* fresh = new CVXLSimpleEvent(1);
    EXPECT_TRUE(fresh->heapAllocated());
    auto* tagged = new TaggedEvent;
    EXPECT_TRUE(tagged->heapAllocated());
    auto* holder = new HolderObject;
    EXPECT_FALSE(holder->inside.heapAllocated()) << "an event inside a heap object is a member";
    CVXLSimpleEvent afterwards(1);
    EXPECT_FALSE(afterwards.heapAllocated());
    delete fresh;
    delete tagged;
    delete holder;
}

TEST_F(QueueFixture, HeapEventsAreDeletedOnceMemberEventsNever)
{
    CountedEvent::destroyed = 0;
    auto* heap = new CountedEvent;
    CountedEvent member;
    sender.post(&worker, heap);
    sender.post(&worker, &member);
    driver.runUntilIdle();
    EXPECT_EQ(after(sender.codes, 1), (std::vector<std::int32_t> {71, 71}));
    EXPECT_EQ(CountedEvent::destroyed, 1);
    EXPECT_EQ(member.status(), kEventDone);

    // Without a reply wanted the receiver is the one that deletes it.
    auto* oneWay = new CountedEvent;
    oneWay->setReplyWanted(false);
    sender.post(&worker, oneWay);
    driver.runUntilIdle();
    EXPECT_EQ(CountedEvent::destroyed, 2);
}

TEST(VXLEventHandlerLife, QueuedEventsAndHandlersGoAwayCleanly)
{
    JobTreeDriver driver;
    TraceJob worker("worker");
    driver.attach(&worker);
    driver.runUntilIdle();
    {
        auto* sender = new TraceJob("sender");
        driver.attach(sender);
        CVXLSimpleEvent member(80);
        sender->post(&worker, &member);
        EXPECT_EQ(worker.incomingCount(), 1u);
        delete sender;
    }
    EXPECT_EQ(worker.incomingCount(), 0u) << "a destroyed event leaves its queue";
    driver.runUntilIdle();

    auto* doomed = new TraceJob("doomed");
    driver.attach(doomed);
    doomed->post(doomed, new CVXLSimpleEvent(81));
    doomed->postDelayed(new CVXLSimpleEvent(82), 500);
    delete doomed; // heap events still queued are released with it
    EXPECT_EQ(driver.root().firstChild(), &worker);
    driver.runUntilIdle();
}

struct TimerCase {
    const char* name;
    struct Arm {
        std::int32_t code;
        std::uint32_t at;
        std::uint32_t delay;
    };
    std::vector<Arm> arms;
    std::uint32_t clockStart;
    std::vector<std::pair<std::uint32_t, std::int32_t>> fired; // (time, code)
};

TEST(VXLEventHandlerTimers, FireInRemainingTimeOrderOnTheDrivenClock)
{
    const TimerCase cases[] = {
        {"zero delay is due at the next step", {{1, 0, 0}}, 0, {{0, 1}}},
        {"shorter first", {{1, 0, 300}, {2, 0, 100}}, 0, {{100, 2}, {300, 1}}},
        {"equal delays in arming order", {{1, 0, 100}, {2, 0, 100}, {3, 0, 50}}, 0,
            {{50, 3}, {100, 1}, {100, 2}}},
        {"remaining time, not delay, orders", {{1, 0, 200}, {2, 50, 100}}, 0, {{150, 2}, {200, 1}}},
        {"equal remaining time after the earlier", {{1, 0, 200}, {2, 100, 100}}, 0, {{200, 1}, {200, 2}}},
        {"the millisecond clock wraps", {{1, 0, 0x200}, {2, 0, 0x80}}, 0xFFFFFF00u,
            {{0xFFFFFF80u, 2}, {0x100, 1}}},
    };
    for (const TimerCase& c : cases) {
        SCOPED_TRACE(c.name);
        JobTreeDriver driver;
        driver.clock().setTickTime(c.clockStart);
        TraceJob job("timers");
        std::vector<std::pair<std::uint32_t, std::int32_t>> fired;
        job.handler = [&](TraceJob& j, CVXLEvent* e) {
            if (e->kind() == kEventTimer)
                fired.emplace_back(driver.now(), e->effectiveCode());
            j.finishEvent(e);
        };
        driver.attach(&job);
        driver.runUntilIdle();
        std::vector<CVXLSimpleEvent*> timers;
        for (const auto& arm : c.arms) {
            driver.clock().setTickTime(c.clockStart + arm.at);
            timers.push_back(new CVXLSimpleEvent(arm.code));
            job.postDelayed(timers.back(), arm.delay);
        }
        EXPECT_TRUE(job.hasTimers());
        driver.runUntilIdle();
        while (driver.runToNextTimer()) { }
        EXPECT_EQ(fired, c.fired);
        EXPECT_FALSE(job.hasTimers());
        EXPECT_EQ(job.runState(), kHandlerIdle);
    }
}

TEST(VXLEventHandlerTimers, DeadlinesAndDisarming)
{
    JobTreeDriver driver;
    TraceJob parent("parent"), child("child");
    driver.attach(&parent);
    driver.runUntilIdle();
    EXPECT_EQ(driver.root().nextTimeout(), kNoDeadline);

    CVXLSimpleEvent timer(5), other(6);
    parent.postDelayed(&timer, 250);
    EXPECT_EQ(parent.runState(), kHandlerWaitingForTimer);
    driver.advance(100);
    EXPECT_EQ(driver.nextTimeout(), 150u);

    parent.startChild(&child);
    EXPECT_EQ(parent.nextTimeout(), 0u) << "a runnable child needs a step now";
    driver.runUntilIdle();
    child.postDelayed(&other, 40);
    EXPECT_EQ(driver.nextTimeout(), 40u) << "the earliest deadline of the subtree";

    EXPECT_EQ(child.cancelEvent(&other), 1);
    EXPECT_EQ(child.cancelEvent(&other), 0);
    EXPECT_EQ(parent.cancelEvent(&timer), 1);
    EXPECT_EQ(timer.status(), kEventDone);
    EXPECT_EQ(driver.nextTimeout(), kNoDeadline);
    EXPECT_EQ(parent.runState(), kHandlerIdle);
    driver.advance(1000);
    driver.runUntilIdle();
    EXPECT_EQ(parent.codes, std::vector<std::int32_t> {kEventStart});
    EXPECT_EQ(child.codes, std::vector<std::int32_t> {kEventStart});

    // A timer that wanted a reply falls due as a plain event of its owner.
    CVXLEvent wanting(7, 8);
    parent.postDelayed(&wanting, 0);
    driver.runUntilIdle();
    EXPECT_EQ(parent.codes.back(), 7);
    EXPECT_EQ(parent.outstandingReplies(), 0);
    EXPECT_EQ(wanting.status(), kEventDone);
}

// Two engines in one process (two Clients, or a Client beside a test's own
// tree) each run on their own clock: a timer reads its own tree's time, and a
// post wakes the tree that will take it.
TEST(VXLEventHandlerTimers, EachTreeKeepsItsOwnClock)
{
    struct WakeCounter : CVXLEngineClock {
        int wakes = 0;
        void postedOutsideTick() override { ++wakes; }
    };
    JobTreeDriver a, b;
    WakeCounter wakeA, wakeB;
    a.root().setClock(&wakeA);
    b.root().setClock(&wakeB);
    TraceJob jobA("a"), jobB("b");
    a.attach(&jobA);
    b.attach(&jobB);
    a.runUntilIdle();
    b.runUntilIdle();

    wakeB.setTickTime(5000);
    CVXLSimpleEvent timerA(11), timerB(12);
    jobA.postDelayed(&timerA, 100);
    jobB.postDelayed(&timerB, 100);
    EXPECT_EQ(a.root().nextTimeout(), 100u);
    EXPECT_EQ(b.root().nextTimeout(), 100u);
    wakeA.advance(100);
    EXPECT_EQ(a.root().nextTimeout(), 0u);
    EXPECT_EQ(b.root().nextTimeout(), 100u) << "another tree's time moved";

    CVXLSimpleEvent across(13);
    jobA.post(&jobB, &across);
    EXPECT_EQ(wakeB.wakes, 1);
    EXPECT_EQ(wakeA.wakes, 0);
    EXPECT_EQ(jobB.cancelEvent(&timerB), 1);
    EXPECT_EQ(jobA.cancelEvent(&timerA), 1);
    b.runUntilIdle();
    EXPECT_EQ(jobB.codes.back(), 13);

    // A handler outside any tree reads a clock that stands at 0.
    TraceJob loose("loose");
    EXPECT_EQ(loose.tickTime(), 0u);
}

TEST(VXLEventHandlerTree, StartThenStopWaitsForEveryChild)
{
    JobTreeDriver driver;
    std::vector<std::string> trace;
    TraceJob parent("parent", &trace), first("first", &trace), second("second", &trace);
    TraceJob grandchild("grandchild", &trace);
    parent.handler = [&](TraceJob& job, CVXLEvent* e) {
        if (e->effectiveCode() == kEventStart) {
            job.startChild(&first);
            job.startChild(&second);
        }
        job.finishEvent(e);
    };
    first.handler = [&](TraceJob& job, CVXLEvent* e) {
        if (e->effectiveCode() == kEventStart)
            job.startChild(&grandchild);
        job.finishEvent(e);
    };
    driver.attach(&parent);
    EXPECT_FALSE(parent.startCompleted());
    driver.runUntilIdle();
    EXPECT_TRUE(parent.startCompleted());
    EXPECT_EQ(parent.started, (std::vector<CVXLEventHandler*> {&first, &second}));
    EXPECT_EQ(first.started, std::vector<CVXLEventHandler*> {&grandchild});
    EXPECT_EQ(grandchild.root(), &driver.root());
    EXPECT_TRUE(driver.root().isDescendant(&grandchild));
    EXPECT_FALSE(second.isDescendant(&grandchild));
    EXPECT_EQ(parent.countActiveChildren(), 2);

    trace.clear();
    driver.root().broadcast(3);
    EXPECT_EQ(trace, (std::vector<std::string> {"parent!3", "first!3", "grandchild!3", "second!3"}));

    trace.clear();
    parent.stop();
    parent.stop(); // once only
    EXPECT_TRUE(parent.stopRequested());
    driver.step(); // the stop travels down the tree within one step
    EXPECT_EQ(parent.runState(), kHandlerStopping);
    EXPECT_EQ(first.runState(), kHandlerStopping) << "first waited for its own child";
    EXPECT_EQ(grandchild.runState(), kHandlerFinished);
    EXPECT_EQ(second.runState(), kHandlerFinished);
    EXPECT_EQ(first.finishedChildren, std::vector<CVXLEventHandler*> {&grandchild});
    EXPECT_EQ(parent.finishedChildren, std::vector<CVXLEventHandler*> {&second});
    EXPECT_EQ(driver.nextTimeout(), 0u);

    driver.step(); // first has no child left: it finishes and is unlinked
    EXPECT_EQ(first.runState(), kHandlerFinished);
    EXPECT_EQ(parent.runState(), kHandlerStopping);
    EXPECT_FALSE(parent.hasChildren());
    driver.step(); // the step after the last child went: parent finishes
    EXPECT_EQ(parent.runState(), kHandlerFinished);
    EXPECT_EQ(driver.root().firstChild(), nullptr);
    EXPECT_EQ(parent.parent(), nullptr);
    EXPECT_EQ(trace,
        (std::vector<std::string> {"parent:" + std::to_string(kEventStop),
            "first:" + std::to_string(kEventStop), "grandchild:" + std::to_string(kEventStop),
            "second:" + std::to_string(kEventStop)}));

    // A finished job can be attached again and runs its start once more.
    driver.attach(&second);
    EXPECT_FALSE(second.stopRequested());
    driver.runUntilIdle();
    EXPECT_EQ(second.codes.back(), kEventStart);
    EXPECT_EQ(second.runState(), kHandlerIdle);
}

TEST(VXLEventHandlerTree, EventsPostedBeforeTheStartWaitBehindIt)
{
    JobTreeDriver driver;
    TraceJob sender("sender"), job("job");
    driver.attach(&sender);
    driver.runUntilIdle();
    CVXLSimpleEvent early(90);
    sender.post(&job, &early);
    driver.attach(&job);
    driver.runUntilIdle();
    EXPECT_EQ(job.codes, (std::vector<std::int32_t> {kEventStart, 90}));
}

TEST(VXLEventHandlerTree, WaitingHandlerTakesNoIncomingUntilResumed)
{
    JobTreeDriver driver;
    TraceJob sender("sender"), job("job");
    driver.attach(&sender);
    driver.attach(&job);
    driver.runUntilIdle();
    job.setWaiting();
    CVXLSimpleEvent in(91), own(92);
    sender.post(&job, &in);
    job.post(&job, &own);
    driver.runUntilIdle();
    EXPECT_EQ(job.codes, (std::vector<std::int32_t> {kEventStart, 92}));
    job.resume();
    driver.runUntilIdle();
    EXPECT_EQ(job.codes.back(), 91);
}

// How a receiver comes to leave a request unserved.
enum class Loss {
    FinishedBeforePost,
    QueuedBehindStop,
    HeldWhenStopped,
    PostedWhileStopping,
    QueuedWhenDeleted,
    HeldWhenDeleted,
};

struct UnservedCase {
    const char* name;
    Loss loss;
    std::int32_t result;
};

TEST(VXLEventHandlerUnserved, EveryRequestToAGoneReceiverIsAnsweredAndLogged)
{
    const UnservedCase cases[] = {
        {"posted after the receiver finished", Loss::FinishedBeforePost, kResultCancelled},
        {"queued behind the receiver's stop", Loss::QueuedBehindStop, kResultCancelled},
        {"in progress when the receiver stopped", Loss::HeldWhenStopped, kResultCancelled},
        {"posted while the receiver waits for its child to stop", Loss::PostedWhileStopping,
            kResultCancelled},
        {"queued when the receiver was deleted", Loss::QueuedWhenDeleted, kResultFailed},
        {"in progress when the receiver was deleted", Loss::HeldWhenDeleted, kResultFailed},
    };
    for (const UnservedCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDeviceRoot root;
        JobTreeDriver driver;
        TraceJob requester("requester");
        auto* receiver = new TraceJob("receiver");
        TraceJob child("child");
        std::vector<CVXLEvent*> held;
        receiver->handler = [&](TraceJob& job, CVXLEvent* e) { holdUntilReleased(job, e, held); };
        CVXLEvent* childStop = nullptr;
        child.handler = [&](TraceJob& job, CVXLEvent* e) {
            if (e->effectiveCode() == kEventStop)
                childStop = e; // the child stops only when the test lets it
            else
                job.finishEvent(e);
        };
        driver.attach(&requester);
        driver.attach(receiver);
        driver.runUntilIdle();

        CVXLEvent request(kHold, 501);
        switch (c.loss) {
        case Loss::FinishedBeforePost:
            receiver->stop();
            driver.runUntilIdle();
            ASSERT_EQ(receiver->runState(), kHandlerFinished);
            requester.post(receiver, &request);
            break;
        case Loss::QueuedBehindStop:
            receiver->stop();
            requester.post(receiver, &request);
            break;
        case Loss::HeldWhenStopped:
            requester.post(receiver, &request);
            driver.runUntilIdle();
            ASSERT_EQ(held.size(), 1u);
            receiver->stop();
            break;
        case Loss::PostedWhileStopping:
            receiver->startChild(&child);
            receiver->stop();
            driver.runUntilIdle();
            ASSERT_EQ(receiver->runState(), kHandlerStopping);
            requester.post(receiver, &request);
            driver.runUntilIdle();
            EXPECT_EQ(request.status(), kEventQueued) << "answered only once the receiver is done";
            ASSERT_NE(childStop, nullptr);
            child.finishEvent(childStop);
            break;
        case Loss::QueuedWhenDeleted:
            receiver->setWaiting();
            requester.post(receiver, &request);
            driver.runUntilIdle();
            delete receiver;
            receiver = nullptr;
            break;
        case Loss::HeldWhenDeleted:
            requester.post(receiver, &request);
            driver.runUntilIdle();
            ASSERT_EQ(held.size(), 1u);
            delete receiver;
            receiver = nullptr;
            break;
        }
        driver.runUntilIdle();

        EXPECT_EQ(requester.codes.back(), 501);
        EXPECT_EQ(requester.results.back(), c.result);
        EXPECT_EQ(requester.outstandingReplies(), 0);
        EXPECT_EQ(request.status(), kEventDone);
        CVXLLog::flush();
        const std::string log = root.readFile("log/engine.log");
        EXPECT_NE(log.find(" failure "), std::string::npos) << log;
        EXPECT_NE(log.find("request " + std::to_string(kHold) + " answered " + std::to_string(c.result)),
            std::string::npos)
            << log;
        delete receiver;
    }
}

// A requester deleted while its heap request is out: however the request
// ends, it ends at its receiver and nothing reaches into the requester.
TEST(VXLEventHandlerUnserved, ARequesterDeletedFirstIsNeverTouched)
{
    enum class End { Served, ReceiverStopped, ReceiverDeleted };
    const struct {
        const char* name;
        End end;
    } cases[] = {
        {"served", End::Served},
        {"its receiver stopped", End::ReceiverStopped},
        {"its receiver deleted", End::ReceiverDeleted},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDeviceRoot root;
        JobTreeDriver driver;
        auto* requester = new TraceJob("requester");
        auto* receiver = new TraceJob("receiver");
        std::vector<CVXLEvent*> held;
        receiver->handler = [&](TraceJob& job, CVXLEvent* e) {
            if (e->effectiveCode() == 70)
                held.push_back(e);
            else
                job.finishEvent(e);
        };
        driver.attach(requester);
        driver.attach(receiver);
        driver.runUntilIdle();
        CountedEvent::destroyed = 0;
        requester->post(receiver, new CountedEvent);
        driver.runUntilIdle();
        ASSERT_EQ(held.size(), 1u);
        delete requester;

        switch (c.end) {
        case End::Served:
            receiver->finishEvent(held.front());
            break;
        case End::ReceiverStopped:
            receiver->stop();
            break;
        case End::ReceiverDeleted:
            delete receiver;
            receiver = nullptr;
            break;
        }
        driver.runUntilIdle();
        EXPECT_EQ(CountedEvent::destroyed, 1) << "the request ends at its receiver";
        delete receiver;
    }
}

} // namespace
