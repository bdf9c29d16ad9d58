#include "engine/client/machine/StackMachine.h"
#include "engine/client/machine/MasterProgram.h"
#include "engine/client/machine/VXLMachineCodes.h"
#include "engine/client/machine/VXLRunRequest.h"
#include "engine/client/machine/VXLScenarioProgram.h"
#include "engine/client/machine/VXLUiJobStack.h"
#include "engine/core/jobs/VXLCounterTable.h"
#include "engine/screens/VXLUiJob.h"
#include "engine/screens/VXLUiJobPool.h"
#include "tests/client/ProgramBuilder.h"
#include "tests/client/ScenarioCompile.h"
#include "tests/client/UiJobBuiltins.h"
#include "tests/support/JobTreeDriver.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// A screen-flow job that records what reaches it.
class TestUiJob : public CVXLUiJob {
public:
    explicit TestUiJob(int type)
        : type_(type)
    {
    }
    ~TestUiJob() override { ++destroyed; }

    int typeId() const override { return type_; }
    void onEvent(CVXLEvent* event) override
    {
        codes.push_back(event->effectiveCode());
        CVXLEventHandler::onEvent(event);
    }
    void onDeactivated() override { ++suspends; }
    void onActivated() override { ++resumes; }
    // Sends the running program an event, as a screen does.
    void send(CStackMachine& machine, std::int32_t code)
    {
        auto* event = new CVXLSimpleEvent(code);
        event->setHeapAllocated(true);
        post(&machine, event);
    }

    std::vector<std::int32_t> codes;
    int suspends = 0;
    int resumes = 0;
    static int destroyed;

private:
    int type_;
};
int TestUiJob::destroyed = 0;

// Makes a fresh job when the pooled one of a type is in use.
class TestPool : public CVXLUiJobPool {
public:
    TestPool()
        : CVXLUiJobPool(false)
    {
    }
    int created = 0;

protected:
    CVXLUiJob* create(int typeId) override
    {
        ++created;
        return new TestUiJob(typeId);
    }
};

// Counts the continue steps of a run.
class CountingMachine : public CStackMachine {
public:
    using CStackMachine::CStackMachine;
    void onEvent(CVXLEvent* event) override
    {
        if (event->effectiveCode() == kEventContinue)
            ++continues;
        CStackMachine::onEvent(event);
    }
    int continues = 0;
};

// The built-ins these tests need, as the helper's table will carry them.
int builtinPrint(CKORVFunctionHelper& helper, void*)
{
    CVXLVariant value;
    helper.values().pop(value);
    for (int n = value.toInt(); n > 0; --n)
        helper.values().pop(value);
    return 1;
}
int builtinAssert(CKORVFunctionHelper& helper, void*)
{
    CVXLVariant value;
    helper.values().pop(value);
    if (value.isFalse())
        helper.machine()->fail(kResultMachineAssertionFailed);
    return 1;
}
int builtinUijGet(CKORVFunctionHelper& helper, void*)
{
    CVXLVariant name;
    helper.values().pop(name);
    CVXLUiJob* job = helper.uiJobs()->current();
    helper.values().push(job ? job->property(name.toString()) : CVXLVariant());
    return 1;
}

// A stand-in for the Producer: the owner of the UI-job stack and the parent
// of the machines; it answers activity events (68..116) and keeps replies.
class ProducerStandIn : public TraceJob {
public:
    ProducerStandIn()
        : TraceJob("Producer")
    {
    }
};

class StackMachineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TestUiJob::destroyed = 0;
        driver.attach(&producer);
        driver.runUntilIdle();
    }
    void TearDown() override
    {
        for (auto& m : machines) {
            if (m->parent())
                m->stop();
        }
        driver.runUntilIdle();
    }

    // A machine with the test built-ins, loaded with the program and attached.
    CountingMachine& attach(const CVXLScenarioProgram& program)
    {
        machines.push_back(std::make_unique<CountingMachine>(&stack));
        CountingMachine& m = *machines.back();
        const std::pair<std::uint32_t, KORVBuiltin> builtins[] = {
            {0, builtinPrint},
            {9, builtinAssert},
            {41, builtinUijGet},
            {42, builtinUijSet},
            {43, builtinSwitchToUiJob},
            {44, builtinUiJobGo},
            {45, builtinWait},
        };
        for (const auto& [index, builtin] : builtins)
            m.helper().setBuiltin(index, builtin);
        m.setProgram(&program);
        m.setCounters(&counters);
        producer.startChild(&m);
        driver.runUntilIdle();
        return m;
    }
    void compile(CVXLScenarioProgram& program, const std::string& source)
    {
        std::string errors;
        std::vector<std::uint8_t> bytes = compileScenario(source, &errors);
        ASSERT_FALSE(bytes.empty()) << errors;
        ASSERT_TRUE(program.load(bytes.data(), static_cast<std::uint32_t>(bytes.size())));
    }
    CVXLRunRequest& request(std::vector<CVXLVariant> args = {})
    {
        requests.push_back(std::make_unique<CVXLRunRequest>());
        CVXLRunRequest& r = *requests.back();
        // The test keeps it, as the Producer keeps its member request: the
        // job that finishes the reply must not delete it.
        r.setHeapAllocated(false);
        for (std::uint32_t i = 0; i < args.size(); ++i)
            r.setArgument(i, args[i]);
        return r;
    }
    void run(CStackMachine& m, CVXLRunRequest& r)
    {
        producer.post(&m, &r);
        driver.runUntilIdle();
    }
    // The run request came back to the Producer as its reply.
    static bool answered(const CVXLRunRequest& r)
    {
        return r.kind() == kEventReply && r.status() != kEventQueued;
    }
    TestUiJob* current() { return static_cast<TestUiJob*>(stack.current()); }
    // The result code the reply carried when it reached the Producer (which
    // clears it as it finishes the reply).
    std::int32_t resultOf(const CVXLRunRequest& r) const
    {
        for (std::size_t i = producer.events.size(); i-- > 0;) {
            if (producer.events[i] == &r)
                return producer.results[i];
        }
        return 0x7FFFFFFF;
    }

    JobTreeDriver driver;
    ProducerStandIn producer;
    TestPool pool;
    CVXLUiJobStack stack {&producer, &pool};
    CVXLCounterTable counters;
    std::vector<std::unique_ptr<CountingMachine>> machines;
    std::vector<std::unique_ptr<CVXLRunRequest>> requests;
};

TEST_F(StackMachineTest, RunReturnsTheEntryFunctionsResultInSlicesOfTen)
{
    struct Case {
        int instructions;
        int continues;
    };
    for (const Case& c : {Case {25, 3}, Case {20, 2}, Case {3, 1}}) {
        SCOPED_TRACE(c.instructions);
        // Entry function 1 adds its two arguments after a run of no-ops.
        ProgramBuilder b;
        b.op(130, 0).op(16);
        const std::uint16_t start = b.here();
        for (int i = 0; i < c.instructions - 4; ++i)
            b.op(0);
        b.op(129, -2).op(129, -1).op(9).op(16);
        b.functions.push_back({"@start", 0, 0, 0, 0});
        b.functions.push_back({"main", 2, 2, start, 0});
        b.entry = 1;
        CVXLScenarioProgram program;
        std::vector<std::uint8_t> bytes = b.bytes();
        ASSERT_TRUE(program.load(bytes.data(), static_cast<std::uint32_t>(bytes.size())));
        CountingMachine& m = attach(program);
        counters.set(kCounterNewLayouts, 4);
        CVXLRunRequest& r = request({CVXLVariant(40), CVXLVariant(2)});
        run(m, r);
        EXPECT_TRUE(answered(r));
        EXPECT_EQ(m.continues, c.continues);
        EXPECT_EQ(r.completion(), kCompletionReturned);
        EXPECT_EQ(r.resultValue().toInt(), 42);
        EXPECT_EQ(resultOf(r), kResultSucceeded);
        EXPECT_EQ(r.startSnapshot(), 4);
        EXPECT_EQ(r.endSnapshot(), 4);
        EXPECT_EQ(m.programCounter(), -1);
        m.stop();
        driver.runUntilIdle();
    }
}

const char* const kScreenProgram = R"(
entry main;
global g_log;
function 0 @start() { g_log = ""; return 0; }
function 1 main(code, arg) {
    var r;
    g_log = "";
    switch (code) {
    case 1: r = s_view(arg);
    case 2: r = s_outer();
    case 3: r = s_nothing_to_show();
    case 4: r = s_view(arg); _assert(0);
    case 5: r = s_twice();
    }
    return r;
}
screen function s_view(arg) {
    @switch_to_uijob(3);
    @uij_set("arg", arg);
    @uijob_go();
    wait {
    case 10: return @uij_get("arg") + "!";
    case 8: return 0;
    case 9: halt;
    case 20: _assert(0);
    }
}
screen function s_outer() {
    @switch_to_uijob(4);
    @uijob_go();
    wait {
    case 10: g_log = g_log + s_view("inner");
    case 8: return g_log;
    }
}
// Returns before its job is started.
screen function s_nothing_to_show() {
    @switch_to_uijob(5);
    return "gone";
}
screen function s_twice() {
    @switch_to_uijob(3);
    @uijob_go();
    wait {
    case 10: return s_view("second");
    }
}
)";

TEST_F(StackMachineTest, ScreenFunctionShowsItsJobAndReturnsWhenItHasGone)
{
    CVXLScenarioProgram program;
    compile(program, kScreenProgram);
    // The pool owns its preallocated jobs.
    TestUiJob& pooled = *new TestUiJob(3);
    ASSERT_TRUE(pool.add(&pooled));
    CountingMachine& m = attach(program);
    CVXLRunRequest& r = request({CVXLVariant(1), CVXLVariant("hello")});
    run(m, r);

    ASSERT_EQ(current(), &pooled);
    EXPECT_EQ(pooled.parent(), &m);
    EXPECT_TRUE(pooled.isCurrentActive());
    EXPECT_STREQ(pooled.property("arg").toString().c_str(), "hello");
    EXPECT_FALSE(answered(r));

    // Events that are neither the program's nor the machine's own go to the
    // Producer.
    pooled.send(m, 90);
    driver.runUntilIdle();
    EXPECT_EQ(producer.codes.back(), 90);
    EXPECT_FALSE(answered(r));

    pooled.send(m, 10);
    driver.runUntilIdle();
    EXPECT_TRUE(answered(r));
    EXPECT_EQ(r.completion(), kCompletionReturned);
    EXPECT_STREQ(r.resultValue().toString().c_str(), "hello!");
    EXPECT_EQ(stack.current(), nullptr);
    EXPECT_EQ(stack.releasingCount(), 0u);
    EXPECT_EQ(pooled.parent(), nullptr);
    // Given back to the pool: its properties are gone and it can be taken again.
    EXPECT_EQ(pooled.property("arg").kind(), CVXLVariant::kEmpty);
    EXPECT_EQ(pool.acquire(3), &pooled);
    pool.release(&pooled);
}

TEST_F(StackMachineTest, SubflowReturnCoversAndResumesTheCallersJob)
{
    CVXLScenarioProgram program;
    compile(program, kScreenProgram);
    CountingMachine& m = attach(program);
    CVXLRunRequest& r = request({CVXLVariant(2)});
    run(m, r);
    TestUiJob* outer = current();
    ASSERT_NE(outer, nullptr);
    EXPECT_EQ(outer->typeId(), 4);

    outer->send(m, 10);
    driver.runUntilIdle();
    TestUiJob* inner = current();
    ASSERT_NE(inner, outer);
    EXPECT_EQ(inner->typeId(), 3);
    EXPECT_EQ(outer->suspends, 1);
    EXPECT_FALSE(outer->isCurrentActive());

    inner->send(m, 10);
    driver.runUntilIdle();
    // The caller's job is current and active again, and its next wait tells
    // it to go on after the sub-flow (resume event 12).
    EXPECT_EQ(current(), outer);
    EXPECT_TRUE(outer->isCurrentActive());
    ASSERT_FALSE(outer->codes.empty());
    EXPECT_EQ(outer->codes.back(), kResumeAfterSubflow);
    EXPECT_STREQ(m.interpreter().global(0).toString().c_str(), "inner!");

    outer->send(m, 8);
    driver.runUntilIdle();
    EXPECT_TRUE(answered(r));
    EXPECT_STREQ(r.resultValue().toString().c_str(), "inner!");
    EXPECT_EQ(stack.depth(), 0u);
}

TEST_F(StackMachineTest, JobPushedButNeverStartedIsReleased)
{
    CVXLScenarioProgram program;
    compile(program, kScreenProgram);
    CountingMachine& m = attach(program);
    CVXLRunRequest& r = request({CVXLVariant(3)});
    run(m, r);
    EXPECT_TRUE(answered(r));
    EXPECT_STREQ(r.resultValue().toString().c_str(), "gone");
    EXPECT_EQ(stack.depth(), 0u);
    EXPECT_EQ(stack.releasingCount(), 0u);
    // The fresh job was deleted when it came back.
    EXPECT_EQ(pool.created, 1);
    EXPECT_EQ(TestUiJob::destroyed, 1);
}

TEST_F(StackMachineTest, SecondJobOfATypeIsAFreshInstance)
{
    CVXLScenarioProgram program;
    compile(program, kScreenProgram);
    // The pool owns its preallocated jobs.
    TestUiJob& pooled = *new TestUiJob(3);
    ASSERT_TRUE(pool.add(&pooled));
    CountingMachine& m = attach(program);
    CVXLRunRequest& r = request({CVXLVariant(5)});
    run(m, r);
    ASSERT_EQ(current(), &pooled);
    pooled.send(m, 10);
    driver.runUntilIdle();
    TestUiJob* second = current();
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, &pooled);
    EXPECT_EQ(second->typeId(), 3);
    EXPECT_EQ(stack.depth(), 2u);
    EXPECT_EQ(pool.created, 1);

    second->send(m, 10);
    driver.runUntilIdle();
    EXPECT_TRUE(answered(r));
    EXPECT_STREQ(r.resultValue().toString().c_str(), "second!");
    EXPECT_EQ(TestUiJob::destroyed, 1);
    EXPECT_EQ(stack.depth(), 0u);
}

TEST_F(StackMachineTest, SecondRunRequestWhileRunningIsRefused)
{
    CVXLScenarioProgram program;
    compile(program, kScreenProgram);
    CountingMachine& m = attach(program);
    CVXLRunRequest& first = request({CVXLVariant(1), CVXLVariant("x")});
    run(m, first);
    CVXLRunRequest& second = request({CVXLVariant(1), CVXLVariant("y")});
    run(m, second);
    EXPECT_TRUE(answered(second));
    EXPECT_EQ(resultOf(second), kResultMachineRefused);
    EXPECT_EQ(second.completion(), kCompletionFailed);
    EXPECT_FALSE(answered(first));

    current()->send(m, 10);
    driver.runUntilIdle();
    EXPECT_TRUE(answered(first));
    EXPECT_STREQ(first.resultValue().toString().c_str(), "x!");
}

TEST_F(StackMachineTest, RunWithoutProgramIsRefused)
{
    CVXLScenarioProgram empty;
    CountingMachine& m = attach(empty);
    CVXLRunRequest& r = request();
    run(m, r);
    EXPECT_TRUE(answered(r));
    EXPECT_EQ(resultOf(r), kResultMachineRefused);
    EXPECT_EQ(r.completion(), kCompletionFailed);
}

TEST_F(StackMachineTest, HaltUnwindsOnlyThisMachinesJobs)
{
    CVXLScenarioProgram program;
    compile(program, kScreenProgram);
    CountingMachine& outerMachine = attach(program);
    CVXLRunRequest& outerRun = request({CVXLVariant(1), CVXLVariant("outer")});
    run(outerMachine, outerRun);
    TestUiJob* outerJob = current();
    ASSERT_NE(outerJob, nullptr);

    // A nested run on a second machine shows two screens over the first.
    CountingMachine& nested = attach(program);
    CVXLRunRequest& nestedRun = request({CVXLVariant(2)});
    run(nested, nestedRun);
    current()->send(nested, 10);
    driver.runUntilIdle();
    ASSERT_EQ(stack.depth(), 3u);

    current()->send(nested, 9);
    driver.runUntilIdle();
    EXPECT_TRUE(answered(nestedRun));
    EXPECT_EQ(nestedRun.completion(), kCompletionHalted);
    EXPECT_EQ(nestedRun.resultValue().kind(), CVXLVariant::kEmpty);
    EXPECT_EQ(stack.depth(), 1u);
    EXPECT_EQ(stack.releasingCount(), 0u);
    EXPECT_EQ(current(), outerJob);
    EXPECT_TRUE(outerJob->isCurrentActive());
    EXPECT_EQ(outerJob->parent(), &outerMachine);
    EXPECT_FALSE(answered(outerRun));

    outerJob->send(outerMachine, 10);
    driver.runUntilIdle();
    EXPECT_TRUE(answered(outerRun));
    EXPECT_STREQ(outerRun.resultValue().toString().c_str(), "outer!");
}

TEST_F(StackMachineTest, FailedAssertionUnwindsTheJobsAndFailsTheRun)
{
    CVXLScenarioProgram program;
    compile(program, kScreenProgram);
    CountingMachine& m = attach(program);
    struct Case {
        int code;
        std::int32_t event;
    };
    // In a screen function with its job showing, and after it has returned.
    for (const Case& c : {Case {1, 20}, Case {4, 10}}) {
        SCOPED_TRACE(c.code);
        CVXLRunRequest& r = request({CVXLVariant(c.code), CVXLVariant("a")});
        if (m.parent() == nullptr) {
            // A finished machine has dropped its program; the Producer loads
            // it again for each operation.
            m.setProgram(&program);
            producer.startChild(&m);
            driver.runUntilIdle();
        }
        run(m, r);
        ASSERT_NE(current(), nullptr);
        current()->send(m, c.event);
        driver.runUntilIdle();
        EXPECT_TRUE(answered(r));
        EXPECT_EQ(resultOf(r), kResultMachineAssertionFailed);
        EXPECT_EQ(r.completion(), kCompletionFailed);
        EXPECT_EQ(stack.depth(), 0u);
        EXPECT_EQ(stack.releasingCount(), 0u);
        // The Producer stops a machine after each operation.
        m.stop();
        driver.runUntilIdle();
        EXPECT_EQ(m.parent(), nullptr);
    }
}

TEST_F(StackMachineTest, StartupThatWaitsFailsTheAttach)
{
    CVXLScenarioProgram program;
    compile(program, R"(
entry main;
function 0 @start() { wait { case 1: return 0; } }
function 1 main() { return 1; }
)");
    CountingMachine& m = attach(program);
    EXPECT_FALSE(m.attachSucceeded());
    EXPECT_EQ(m.error(), kResultMachineStartupWaited);
    CVXLRunRequest& r = request();
    run(m, r);
    EXPECT_TRUE(answered(r));
    EXPECT_EQ(resultOf(r), kResultMachineRefused);
}

TEST_F(StackMachineTest, ShippedStartupSetsTheFiveTexts)
{
    CVXLScenarioProgram program;
    ASSERT_TRUE(program.load(kMasterP2, kMasterP2Size));
    CountingMachine& m = attach(program);
    EXPECT_TRUE(m.attachSucceeded());
    const char* const expected[] = {"__vxl_album_sendto_recipients", "__vxl_sendto_recipients",
        "__vxl_print_by_mail", "__vxl_prints_at_retail", "MY-UPLOADS-MAGIC-ALBUM-ID"};
    for (std::uint32_t i = 0; i < 5; ++i)
        EXPECT_STREQ(m.interpreter().global(i + 2).toString().c_str(), expected[i]);
    EXPECT_EQ(m.interpreter().globalCount(), 7u);
    EXPECT_EQ(m.programCounter(), -1);
}

TEST_F(StackMachineTest, ShippedProgramRunsAnUnknownActivityToItsEnd)
{
    CVXLScenarioProgram program;
    ASSERT_TRUE(program.load(kMasterP2, kMasterP2Size));
    CountingMachine& m = attach(program);
    // Activity 84 only traces "Unknown launch command " and returns 0.
    CVXLRunRequest& r = request({CVXLVariant(84), CVXLVariant(0)});
    run(m, r);
    EXPECT_TRUE(answered(r));
    EXPECT_EQ(r.completion(), kCompletionReturned);
    EXPECT_EQ(r.resultValue().toInt(), 0);
    EXPECT_EQ(r.resultValue().kind(), CVXLVariant::kInteger);
    EXPECT_EQ(m.interpreter().global(1).toInt(), 84);
}

} // namespace
