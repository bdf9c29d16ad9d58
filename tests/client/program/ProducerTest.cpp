#include "engine/client/program/Producer.h"

#include "engine/client/VXLClient.h"
#include "engine/client/machine/KORVFunctionHelper.h"
#include "engine/client/machine/VXLMachineCodes.h"
#include "engine/client/machine/VXLValueStack.h"
#include "engine/client/menu/GlobalMenuList.h"
#include "engine/core/base/VXLLog.h"
#include "engine/screens/VXLLayout.h"
#include "engine/screens/VXLUiJob.h"
#include "engine/screens/VXLUiJobPool.h"
#include "tests/client/ScenarioCompile.h"
#include "tests/client/UiJobBuiltins.h"
#include "tests/support/EngineDriver.h"
#include "tests/support/JobTreeDriver.h"
#include "tests/support/ScriptedUiJobs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

// A screen-flow job that records the signals it gets, shows its layout when
// it starts (so the run counts a new screen) and sends the program what the
// test tells it to.
class ScreenJob : public CVXLUiJob {
public:
    explicit ScreenJob(int type)
        : type_(type)
    {
    }
    ~ScreenJob() override
    {
        if (registry)
            registry->erase(std::remove(registry->begin(), registry->end(), this), registry->end());
    }

    int typeId() const override { return type_; }
    void onEvent(CVXLEvent* event) override
    {
        const std::int32_t code = event->effectiveCode();
        if (code == kEventStart) {
            if (CVXLClient* client = CVXLClient::instance())
                client->queueUINotification(&layout, kUIRequestNewLayout);
        } else if (code != kEventStop) {
            codes.push_back(code);
        }
        CVXLEventHandler::onEvent(event);
    }
    void send(std::int32_t code)
    {
        auto* event = new CVXLSimpleEvent(code);
        post(parent(), event);
    }

    std::vector<std::int32_t> codes;
    std::vector<ScreenJob*>* registry = nullptr;
    ScriptedLayout layout;

private:
    int type_;
};

// Makes a fresh job for every push and remembers the live ones.
class ScreenPool : public CVXLUiJobPool {
public:
    ScreenPool()
        : CVXLUiJobPool(false)
    {
    }
    ScreenJob* find(int type) const
    {
        for (ScreenJob* job : live) {
            if (job->typeId() == type)
                return job;
        }
        return nullptr;
    }
    std::vector<ScreenJob*> live;

protected:
    CVXLUiJob* create(int typeId) override
    {
        auto* job = new ScreenJob(typeId);
        job->registry = &live;
        live.push_back(job);
        return job;
    }
};

// The built-ins a screen flow of the shipped program needs.
int popAll(CKORVFunctionHelper& helper, int count)
{
    CVXLVariant value;
    for (int i = 0; i < count; ++i)
        helper.values().pop(value);
    return 1;
}
int builtinPrint(CKORVFunctionHelper& helper, void*)
{
    CVXLVariant count;
    helper.values().pop(count);
    return popAll(helper, count.toInt());
}

struct Installs {
    int count = 0;
};

void installTestBuiltins(CKORVFunctionHelper& helper, void* context)
{
    static_cast<Installs*>(context)->count += 1;
    helper.setBuiltin(0, builtinPrint);
    helper.setBuiltin(42, builtinUijSet);
    helper.setBuiltin(43, builtinSwitchToUiJob);
    helper.setBuiltin(44, builtinUiJobGo);
    helper.setBuiltin(45, builtinWait);
}

// A whole engine, started, with the shipped program, the test built-ins and
// a pool of recording screen jobs.
class ProducerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(driver.create());
        client().setUiJobPool(pool = new ScreenPool);
        producer().setBuiltinInstaller(installTestBuiltins, &installs);
        ASSERT_TRUE(driver.startUp());
        client().startChild(&sender);
        run();
    }

    CVXLClient& client() { return *driver.client(); }
    CProducer& producer() { return client().getProducer(); }
    void run()
    {
        driver.runUntilIdle();
        popped.insert(popped.end(), driver.poppedKinds.begin(), driver.poppedKinds.end());
        driver.poppedKinds.clear();
    }
    // Runs the main-menu entry with the action, as the user interface does.
    void choose(std::int32_t menu, std::int32_t action)
    {
        CGlobalMenuList& list = client().buildGlobalMenu(menu);
        for (std::uint32_t i = 0; i < list.getEntryCount(); ++i) {
            if (list.entryAt(i)->action() == action) {
                list.runEntry(list.entryAt(i));
                run();
                return;
            }
        }
        FAIL() << "no entry with action " << action;
    }
    // An activity from a job outside the Producer (the VRAX job, say).
    CVXLEvent& activity(std::int32_t code)
    {
        events.push_back(std::make_unique<CVXLEvent>(code, code));
        CVXLEvent& event = *events.back();
        event.setHeapAllocated(false);
        sender.post(&producer(), &event);
        run();
        return event;
    }
    std::int32_t replyTo(const CVXLEvent& event) const
    {
        for (std::size_t i = sender.events.size(); i-- > 0;) {
            if (sender.events[i] == &event)
                return sender.results[i];
        }
        return -1;
    }
    int countPopped(std::uint32_t kind) const
    {
        return static_cast<int>(std::count(popped.begin(), popped.end(), kind));
    }

    EngineDriver driver;
    TraceJob sender {"Sender"};
    ScreenPool* pool = nullptr;
    Installs installs;
    std::vector<std::uint32_t> popped;
    std::vector<std::unique_ptr<CVXLEvent>> events;
};

TEST_F(ProducerTest, MenuChoiceRunsItsFlowAndReturnsToTheMenu)
{
    // "My Albums" of the pictures menu: activity 86, the album list (job 45).
    choose(0, 1);
    ScreenJob* albums = pool->find(45);
    ASSERT_NE(albums, nullptr);
    EXPECT_EQ(producer().mode(), CProducer::kModeMenu);
    EXPECT_EQ(producer().machineDepth(), 1u);
    EXPECT_EQ(installs.count, 1);
    EXPECT_EQ(albums->property("preselected_album").toInt(), 0);
    EXPECT_EQ(countPopped(kUIRequestNewLayout), 1);
    EXPECT_EQ(client().getGlobalMenuList().getEntryCount(), 0u);

    // Back leaves the list; "main" returns 0, so the menu is shown with 0.
    albums->send(8);
    driver.runUntilIdle();
    ASSERT_TRUE(client().hasUIRequest() || !driver.poppedKinds.empty());
    run();
    EXPECT_EQ(countPopped(kUIRequestReturnToMenu), 1);
    EXPECT_TRUE(producer().isIdle());
    EXPECT_EQ(producer().machineDepth(), 0u);
    EXPECT_EQ(pool->find(45), nullptr);
    EXPECT_EQ(producer().runState(), kHandlerIdle);

    // The Producer takes the next choice, on the embedded machine again.
    choose(0, 1);
    ASSERT_NE(pool->find(45), nullptr);
    EXPECT_EQ(installs.count, 2);
    pool->find(45)->send(9);
    run();
    EXPECT_EQ(countPopped(kUIRequestReturnToMenu), 2);
    EXPECT_TRUE(producer().isIdle());
}

TEST_F(ProducerTest, ReturnToMenuCarriesTheMenuAndTheWayTheRunEnded)
{
    struct Case {
        std::int32_t signal;
        std::int32_t value;
    };
    // 8 returns through "main" (0); 9 halts the run (1).
    for (const Case& c : {Case {8, 0}, Case {9, 1}}) {
        SCOPED_TRACE(c.signal);
        choose(0, 1);
        ASSERT_NE(pool->find(45), nullptr);
        pool->find(45)->send(c.signal);
        // Take the requests one by one to read the return request's fields.
        CVXLUIRequest* found = nullptr;
        for (int i = 0; i < 50 && !found; ++i) {
            driver.tick();
            CVXLUIRequest* request = driver.popUIRequest();
            if (request && request->kind() == kUIRequestReturnToMenu)
                found = request;
        }
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->menuId(), 0);
        EXPECT_EQ(found->value(), c.value);
        run();
    }
}

TEST_F(ProducerTest, NestedActivityRunsOnTopAndTellsTheOuterJob)
{
    choose(0, 1);
    ScreenJob* albums = pool->find(45);
    ASSERT_NE(albums, nullptr);

    // An info alert (113) starts at once on a second machine over the list.
    CVXLEvent& alert = activity(113);
    ScreenJob* popup = pool->find(3);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(producer().machineDepth(), 2u);
    EXPECT_EQ(producer().uiJobs().current(), popup);

    // Left with 8 the popup ends its run with 16: the list is told 11, then 16.
    popup->send(8);
    run();
    EXPECT_EQ(replyTo(alert), kResultSucceeded);
    EXPECT_EQ(producer().machineDepth(), 1u);
    EXPECT_EQ(producer().uiJobs().current(), albums);
    ASSERT_GE(albums->codes.size(), 2u);
    EXPECT_EQ(albums->codes[albums->codes.size() - 2], kSignalNestedRunEnded);
    EXPECT_EQ(albums->codes.back(), 16);
    EXPECT_EQ(countPopped(kUIRequestReturnToMenu), 0);
    EXPECT_EQ(producer().mode(), CProducer::kModeMenu);

    albums->send(8);
    run();
    EXPECT_EQ(countPopped(kUIRequestReturnToMenu), 1);
    EXPECT_TRUE(producer().isIdle());
}

TEST_F(ProducerTest, QueuedActivityWaitsAndRunsUnderTheSameMode)
{
    choose(0, 1);
    ScreenJob* first = pool->find(45);
    ASSERT_NE(first, nullptr);
    // A second menu activity waits behind the running one.
    CVXLEvent& second = activity(86);
    EXPECT_EQ(producer().machineDepth(), 1u);
    EXPECT_EQ(producer().incomingCount(), 1u);

    first->send(8);
    run();
    // The first ended with the second queued: no return, the second runs.
    EXPECT_EQ(countPopped(kUIRequestReturnToMenu), 0);
    ScreenJob* next = pool->find(45);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(producer().mode(), CProducer::kModeMenu);
    next->send(8);
    run();
    EXPECT_EQ(replyTo(second), kResultSucceeded);
    EXPECT_EQ(countPopped(kUIRequestReturnToMenu), 1);
}

TEST_F(ProducerTest, OtherActivitiesReturnToIdleOnlyAfterShowingAScreen)
{
    // 105 shows nothing ("Unknown launch command").
    CVXLEvent& quiet = activity(105);
    EXPECT_EQ(replyTo(quiet), kResultSucceeded);
    EXPECT_TRUE(producer().isIdle());
    EXPECT_EQ(countPopped(kUIRequestReturnToIdle), 0);

    // An info alert from idle runs in mode 2 and shows its screen.
    CVXLEvent& alert = activity(113);
    EXPECT_EQ(producer().mode(), CProducer::kModeOther);
    ASSERT_NE(pool->find(3), nullptr);
    pool->find(3)->send(10);
    run();
    EXPECT_EQ(replyTo(alert), kResultSucceeded);
    EXPECT_EQ(countPopped(kUIRequestReturnToIdle), 1);
    EXPECT_EQ(countPopped(kUIRequestReturnToMenu), 0);
}

TEST_F(ProducerTest, DataChargeNoticeIsRefusedWhileAnOperationRuns)
{
    choose(0, 1);
    ASSERT_NE(pool->find(45), nullptr);
    CVXLEvent& refused = activity(CProducer::kActivityDataCharge);
    EXPECT_EQ(replyTo(refused), kResultOperationRunning);
    EXPECT_EQ(producer().machineDepth(), 1u);
    pool->find(45)->send(8);
    run();

    // Idle, it passes the incoming queue once and then runs (job 28 of the
    // shipped flow, which our pool makes too).
    CVXLEvent& charge = activity(CProducer::kActivityDataCharge);
    EXPECT_EQ(producer().mode(), CProducer::kModeOther);
    EXPECT_EQ(replyTo(charge), -1);
    // The shut-down ends the flow on screen and frees its screens.
    ASSERT_TRUE(driver.shutDown());
    EXPECT_TRUE(pool->live.empty());
}

TEST_F(ProducerTest, SignalsWithoutARunningProgramFailAndPushPayloadsReachJob28)
{
    CVXLEvent& signal = activity(10);
    EXPECT_EQ(replyTo(signal), kResultFailed);

    // No current job: only the push notice is queued.
    producer().deliverPushPayload(74);
    EXPECT_EQ(client().pendingCodes().at(client().pendingCodes().count() - 1), kUIRequestPushPayload);
}

TEST_F(ProducerTest, ShutDownWithAFlowOnScreenAnswersItsActivityAndEnds)
{
    CVXLEvent& alert = activity(113);
    ASSERT_NE(pool->find(3), nullptr);
    ASSERT_TRUE(driver.shutDown());
    EXPECT_EQ(replyTo(alert), kResultCancelled);
    EXPECT_EQ(producer().runState(), kHandlerFinished);
    EXPECT_EQ(client().runState(), kHandlerFinished);
    EXPECT_TRUE(pool->live.empty());
    EXPECT_FALSE(driver.root().exists("Application Data/Tessel/_vxl.run"));
}

// A nested run the machine refuses (no program) ends at once: its machine
// leaves the stack and the outer flow goes on.
TEST_F(ProducerTest, RefusedNestedRunLeavesTheOuterFlowRunning)
{
    choose(0, 1);
    ASSERT_NE(pool->find(45), nullptr);
    producer().setBuiltinInstaller(
        [](CKORVFunctionHelper& helper, void*) { helper.machine()->setProgram(nullptr); }, nullptr);
    CVXLEvent& alert = activity(113);
    // The run was refused (-1), which fails its activity: the machine is
    // gone, the outer flow stays.
    EXPECT_EQ(replyTo(alert), kResultFailed);
    EXPECT_EQ(producer().machineDepth(), 1u);
    EXPECT_EQ(producer().uiJobs().current(), pool->find(45));
    producer().setBuiltinInstaller(installTestBuiltins, &installs);
    pool->find(45)->send(8);
    run();
    EXPECT_TRUE(producer().isIdle());
}

// Only a run that returns or halts did what its activity asked; a failed one
// answers 1000 and leaves the machine's error word in the log.
TEST_F(ProducerTest, OnlyARunThatReturnsOrHaltsSucceeds)
{
    struct Case {
        const char* body;
        std::int32_t result;
        const char* logged;
    };
    const Case cases[] = {
        {"return 0;", kResultSucceeded, ""},
        {"halt;", kResultSucceeded, ""},
        {"@switch_to_uijob(47); @uijob_go(); wait { case 8: return 0; }", kResultFailed,
            "activity 86 failed: machine error -3"},
    };
    std::vector<std::unique_ptr<CVXLScenarioProgram>> programs;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        std::string errors;
        const std::vector<std::uint8_t> bytes = compileScenario(
            std::string("entry main;\nfunction 0 @start() { return 0; }\nfunction 1 main(code, arg) { ")
                + c.body + " }\n",
            &errors);
        ASSERT_FALSE(bytes.empty()) << errors;
        programs.push_back(std::make_unique<CVXLScenarioProgram>());
        ASSERT_TRUE(programs.back()->load(bytes.data(), static_cast<std::uint32_t>(bytes.size())));
        producer().setProgram(programs.back().get());
        CVXLEvent& event = activity(86);
        run();
        EXPECT_EQ(replyTo(event), c.result);
        EXPECT_TRUE(producer().isIdle());
        EXPECT_EQ(producer().machineDepth(), 0u);
        CVXLLog::flush();
        if (*c.logged) {
            EXPECT_NE(driver.root().readFile("log/engine.log").find(c.logged), std::string::npos);
        }
    }
    producer().setProgram(nullptr);
}

} // namespace

namespace {

// The Client's Producer fills every machine with the engine's built-ins.
TEST(ProducerInstaller, ClientInstallsTheBuiltinsIntoEveryMachine)
{
    EngineDriver driver;
    ASSERT_TRUE(driver.create());
    auto* pool = new ScreenPool;
    driver.client()->setUiJobPool(pool);
    ASSERT_TRUE(driver.startUp());
    CGlobalMenuList& menu = driver.client()->buildGlobalMenu(0);
    menu.runEntry(menu.entryAt(1));
    driver.runUntilIdle();
    // The flow got as far as its screen, which needs the built-ins.
    EXPECT_NE(pool->find(45), nullptr);
    EXPECT_TRUE(driver.shutDown());
}

} // namespace
