#include "engine/core/jobs/VXLHsm.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/jobs/VXLEventRing.h"
#include "engine/core/jobs/VXLSimpleEvent.h"
#include "tests/support/JobTreeDriver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

enum : std::int32_t {
    kSigA = kSignalUser,
    kSigB,
    kSigC,
    kSigD,
    kSigE,
    kSigF,
    kSigG,
    kSigH,
    kSigI,
    kSigJ,
};

// top
//  +- s            (init -> s1; E -> s11; I internal)
//  |   +- s1       (init -> s11; A -> s1; B -> s11; C -> s2; F -> s211)
//  |   |   +- s11  (D -> s1; H -> t)
//  |   +- s2       (init -> s21; C -> s1)
//  |       +- s21  (init -> s211; D -> s2)
//  |           +- s211 (G -> s11)
//  +- t
class Machine : public CVXLHsm {
public:
    Machine()
        : CVXLHsm(&Machine::initial)
    {
    }

    std::vector<std::string> trace;
    // The current state while the last transition's action ran.
    CVXLStateHandler stateDuringAction = nullptr;

    CVXLHsmState initial(const CVXLEvent*)
    {
        setState(&Machine::s);
        return handled();
    }

    CVXLHsmState s(const CVXLEvent* e)
    {
        if (reserved("s", e))
            return handled();
        switch (signalOf(e)) {
        case kSignalInit:
            setState(&Machine::s1);
            return handled();
        case kSigE:
            return go("s-E", &Machine::s11);
        case kSigI:
            trace.push_back("s-I");
            return handled();
        }
        return super(&CVXLHsm::top);
    }

    CVXLHsmState s1(const CVXLEvent* e)
    {
        if (reserved("s1", e))
            return handled();
        switch (signalOf(e)) {
        case kSignalInit:
            setState(&Machine::s11);
            return handled();
        case kSigA:
            return go("s1-A", &Machine::s1);
        case kSigB:
            return go("s1-B", &Machine::s11);
        case kSigC:
            return go("s1-C", &Machine::s2);
        case kSigF:
            return go("s1-F", &Machine::s211);
        }
        return super(&Machine::s);
    }

    CVXLHsmState s11(const CVXLEvent* e)
    {
        if (reserved("s11", e))
            return handled();
        switch (signalOf(e)) {
        case kSigD:
            return go("s11-D", &Machine::s1);
        case kSigH:
            return go("s11-H", &Machine::t);
        }
        return super(&Machine::s1);
    }

    CVXLHsmState s2(const CVXLEvent* e)
    {
        if (reserved("s2", e))
            return handled();
        switch (signalOf(e)) {
        case kSignalInit:
            setState(&Machine::s21);
            return handled();
        case kSigC:
            return go("s2-C", &Machine::s1);
        }
        return super(&Machine::s);
    }

    CVXLHsmState s21(const CVXLEvent* e)
    {
        if (reserved("s21", e))
            return handled();
        switch (signalOf(e)) {
        case kSignalInit:
            setState(&Machine::s211);
            return handled();
        case kSigD:
            return go("s21-D", &Machine::s2);
        }
        return super(&Machine::s2);
    }

    CVXLHsmState s211(const CVXLEvent* e)
    {
        if (reserved("s211", e))
            return handled();
        if (signalOf(e) == kSigG)
            return go("s211-G", &Machine::s11);
        return super(&Machine::s21);
    }

    CVXLHsmState t(const CVXLEvent* e)
    {
        if (reserved("t", e))
            return handled();
        return super(&CVXLHsm::top);
    }

    void send(std::int32_t signal)
    {
        CVXLSimpleEvent event(signal);
        dispatch(&event);
    }

private:
    // Entry and exit are traced and handled; init is traced where a state has
    // an initial transition (the caller then handles it).
    bool reserved(const char* name, const CVXLEvent* e)
    {
        switch (signalOf(e)) {
        case kSignalEntry:
            trace.push_back(std::string(name) + "-ENTRY");
            return true;
        case kSignalExit:
            trace.push_back(std::string(name) + "-EXIT");
            return true;
        case kSignalInit:
            trace.push_back(std::string(name) + "-INIT");
            return false;
        }
        return false;
    }

    // The action is written before the answer, so it runs before any exit.
    CVXLHsmState go(const char* action, CVXLHsmState (Machine::*target)(const CVXLEvent*))
    {
        trace.push_back(action);
        stateDuringAction = currentState();
        return transition(target);
    }
};

using Trace = std::vector<std::string>;

TEST(VXLHsm, InitialTransitionDrillsDownToTheInnermostState)
{
    Machine m;
    EXPECT_TRUE(m.isIn(&CVXLHsm::top));
    EXPECT_EQ(m.currentState(), CVXLHsm::toHandler(&CVXLHsm::top));
    m.init();
    EXPECT_EQ(m.trace, (Trace {"s-ENTRY", "s-INIT", "s1-ENTRY", "s1-INIT", "s11-ENTRY", "s11-INIT"}));
    EXPECT_EQ(m.currentState(), CVXLHsm::toHandler(&Machine::s11));
}

TEST(VXLHsm, TransitionsRunExitEntryAndInitialActionsInOrder)
{
    struct Case {
        const char* name;
        std::vector<std::int32_t> prepare;
        std::int32_t signal;
        Trace trace;
        CVXLHsmState (Machine::*state)(const CVXLEvent*);
    };
    const Case cases[] = {
        {"self transition exits and re-enters, then runs its init", {}, kSigA,
            {"s1-A", "s11-EXIT", "s1-EXIT", "s1-ENTRY", "s1-INIT", "s11-ENTRY", "s11-INIT"}, &Machine::s11},
        {"source is the target's superstate: no exit of the source", {}, kSigB,
            {"s1-B", "s11-EXIT", "s11-ENTRY", "s11-INIT"}, &Machine::s11},
        {"siblings: the parent stays", {}, kSigC,
            {"s1-C", "s11-EXIT", "s1-EXIT", "s2-ENTRY", "s2-INIT", "s21-ENTRY", "s21-INIT", "s211-ENTRY",
                "s211-INIT"},
            &Machine::s211},
        {"to the own superstate: exit, enter nothing, run its init", {}, kSigD,
            {"s11-D", "s11-EXIT", "s1-INIT", "s11-ENTRY", "s11-INIT"}, &Machine::s11},
        {"to the superstate from deeper down", {kSigC}, kSigD,
            {"s21-D", "s211-EXIT", "s21-EXIT", "s2-INIT", "s21-ENTRY", "s21-INIT", "s211-ENTRY", "s211-INIT"},
            &Machine::s211},
        {"source is a further ancestor of the target", {kSigC}, kSigE,
            {"s-E", "s211-EXIT", "s21-EXIT", "s2-EXIT", "s1-ENTRY", "s11-ENTRY", "s11-INIT"}, &Machine::s11},
        {"source's superstate is an ancestor of the target", {}, kSigF,
            {"s1-F", "s11-EXIT", "s1-EXIT", "s2-ENTRY", "s21-ENTRY", "s211-ENTRY", "s211-INIT"},
            &Machine::s211},
        {"cousins: walk up from the source to the common ancestor", {kSigC}, kSigG,
            {"s211-G", "s211-EXIT", "s21-EXIT", "s2-EXIT", "s1-ENTRY", "s11-ENTRY", "s11-INIT"},
            &Machine::s11},
        {"across the top state", {}, kSigH, {"s11-H", "s11-EXIT", "s1-EXIT", "s-EXIT", "t-ENTRY", "t-INIT"},
            &Machine::t},
        {"handled by a superstate without a transition", {}, kSigI, {"s-I"}, &Machine::s11},
        {"handled by nobody: no effect", {}, kSigJ, {}, &Machine::s11},
        {"handled by an outer active state", {kSigC}, kSigC,
            {"s2-C", "s211-EXIT", "s21-EXIT", "s2-EXIT", "s1-ENTRY", "s1-INIT", "s11-ENTRY", "s11-INIT"},
            &Machine::s11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Machine m;
        m.init();
        for (std::int32_t signal : c.prepare)
            m.send(signal);
        m.trace.clear();
        m.stateDuringAction = nullptr;
        const CVXLStateHandler before = m.currentState();
        m.send(c.signal);
        EXPECT_EQ(m.trace, c.trace);
        EXPECT_EQ(m.currentState(), CVXLHsm::toHandler(c.state));
        if (m.stateDuringAction) {
            EXPECT_EQ(m.stateDuringAction, before)
                << "the transition waits until the state function returned";
        }
    }
}

TEST(VXLHsm, SuperstateQueriesAndExitAll)
{
    Machine m;
    m.init();
    m.send(kSigC);
    m.trace.clear();
    EXPECT_TRUE(m.isIn(&Machine::s211));
    EXPECT_TRUE(m.isIn(&Machine::s2));
    EXPECT_TRUE(m.isIn(&Machine::s));
    EXPECT_TRUE(m.isIn(&CVXLHsm::top));
    EXPECT_FALSE(m.isIn(&Machine::s1));
    EXPECT_FALSE(m.isIn(&Machine::t));
    EXPECT_TRUE(m.trace.empty()) << "a superstate query performs no action";

    m.exitAll();
    EXPECT_EQ(m.trace, (Trace {"s211-EXIT", "s21-EXIT", "s2-EXIT", "s-EXIT"}));
    EXPECT_EQ(m.currentState(), CVXLHsm::toHandler(&CVXLHsm::top));
    m.trace.clear();
    m.init(); // re-armed
    EXPECT_EQ(m.currentState(), CVXLHsm::toHandler(&Machine::s11));
    EXPECT_EQ(m.trace.front(), "s-ENTRY");
}

// A job that is a machine, signalling itself through a ring of four events.
class RingJob : public CVXLHsm, public CVXLEventHandler {
public:
    RingJob()
        : CVXLHsm(&RingJob::initial)
        , ring_(this, slots_, 4)
    {
    }

    std::vector<std::int32_t> signals;
    std::vector<bool> heapCarried;

    void onEvent(CVXLEvent* event) override
    {
        if (event->effectiveCode() == kEventStart)
            CVXLHsm::init(); // the handler face has an init of its own
        else
            dispatch(event);
        finishEvent(event);
    }

    CVXLEventRing& ring() { return ring_; }
    CVXLSimpleEvent* slot(int i) { return &slots_[i]; }

    CVXLHsmState initial(const CVXLEvent*)
    {
        setState(&RingJob::running);
        return handled();
    }
    CVXLHsmState running(const CVXLEvent* e)
    {
        if (signalOf(e) >= kSignalUser) {
            signals.push_back(signalOf(e));
            heapCarried.push_back(e->heapAllocated());
            return handled();
        }
        return super(&CVXLHsm::top);
    }

private:
    CVXLSimpleEvent slots_[4];
    CVXLEventRing ring_;
};

TEST(VXLEventRing, FallsBackToTheHeapWhenEverySlotIsBusyAndReusesFreedSlots)
{
    JobTreeDriver driver;
    auto* job = new RingJob; // the heap part does not start with the handler face
    driver.attach(job);
    driver.runUntilIdle();
    EXPECT_TRUE(job->isIn(&RingJob::running));

    for (std::int32_t signal = 20; signal < 25; ++signal)
        job->ring().postSignal(signal);
    EXPECT_TRUE(job->slot(0)->isBusy());
    EXPECT_TRUE(job->slot(3)->isBusy());
    driver.runUntilIdle();
    EXPECT_EQ(job->signals, (std::vector<std::int32_t> {20, 21, 22, 23, 24}));
    EXPECT_EQ(job->heapCarried, (std::vector<bool> {false, false, false, false, true}));

    job->ring().postSignal(25);
    EXPECT_EQ(job->ring().acquire(), job->slot(1)) << "slots are handed out round the ring";
    driver.runUntilIdle();
    EXPECT_EQ(job->signals.back(), 25);
    EXPECT_FALSE(job->heapCarried.back());

    // Stopped under a Job Runner-like owner that deletes it: nothing leaks.
    job->stop();
    driver.runUntilIdle();
    EXPECT_EQ(job->runState(), kHandlerFinished);
    delete static_cast<CVXLEventHandler*>(job);
}

} // namespace
