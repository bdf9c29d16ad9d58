#include "engine/client/machine/VXLInterpreter.h"
#include "engine/client/machine/VXLInterpreterHost.h"
#include "engine/client/machine/VXLScenarioProgram.h"
#include "tests/client/ProgramBuilder.h"
#include "tests/client/ScenarioCompile.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// Records what the interpreter asks of its job.
struct RecordingHost : CVXLInterpreterHost {
    std::vector<std::uint32_t> builtins;
    std::function<int(std::uint32_t)> builtin;
    int screenReleases = 0;
    int screenResumes = 0;
    int unwinds = 0;

    int callBuiltin(std::uint32_t index) override
    {
        builtins.push_back(index);
        return builtin ? builtin(index) : 1;
    }
    void releaseScreenJob() override { ++screenReleases; }
    void returnedIntoScreenFunction() override { ++screenResumes; }
    void unwindScreenJobs() override { ++unwinds; }
};

struct RunOutcome {
    int slices = 0;
    VXLCompletionKind completion = kCompletionNone;
    CVXLVariant result;
    std::int32_t error = 0;
};

class InterpreterTest : public ::testing::Test {
protected:
    void load(const std::vector<std::uint8_t>& bytes)
    {
        ASSERT_FALSE(bytes.empty());
        ASSERT_TRUE(program.load(bytes.data(), static_cast<std::uint32_t>(bytes.size())))
            << program.error().c_str();
        interpreter.setProgram(&program);
        interpreter.reset();
    }
    void compile(const std::string& source)
    {
        std::string errors;
        std::vector<std::uint8_t> bytes = compileScenario(source, &errors);
        ASSERT_FALSE(bytes.empty()) << errors;
        load(bytes);
    }
    // Calls the entry function with the arguments and runs slices until the
    // program stops (a suspension counts as a slice and goes on).
    RunOutcome run(const std::vector<CVXLVariant>& args = {}, int maxSlices = 1000)
    {
        for (const CVXLVariant& a : args)
            interpreter.values().push(a);
        RunOutcome r;
        if (interpreter.call(program.entryFunction())) {
            while (r.slices < maxSlices) {
                ++r.slices;
                if (interpreter.runSlice() == CVXLInterpreter::kSliceStopped)
                    break;
            }
        }
        r.completion = interpreter.completion();
        r.result = interpreter.result();
        r.error = interpreter.error();
        return r;
    }

    RecordingHost host;
    CVXLScenarioProgram program;
    CVXLInterpreter interpreter {&host};
};

enum Op { kAdd = 1, kSub, kMul, kDiv, kMod, kEq, kNe, kLt, kGt, kLe, kGe, kNeg, kNot, kAnd, kOr };

const char* const kOperatorProgram = R"(
entry main;
function main(op, a, b) {
    switch (op) {
    case 1: return a + b;
    case 2: return a - b;
    case 3: return a * b;
    case 4: return a / b;
    case 5: return a % b;
    case 6: return a == b;
    case 7: return a != b;
    case 8: return a < b;
    case 9: return a > b;
    case 10: return a <= b;
    case 11: return a >= b;
    case 12: return -a;
    case 13: return !a;
    case 14: return a && b;
    case 15: return a || b;
    }
    return "none";
}
)";

TEST_F(InterpreterTest, OperatorsFollowTheLeftOperandsKind)
{
    compile(kOperatorProgram);
    const CVXLVariant empty;
    struct Case {
        Op op;
        CVXLVariant left;
        CVXLVariant right;
        CVXLVariant expected;
    };
    const Case cases[] = {
        {kAdd, CVXLVariant("12"), CVXLVariant(3), CVXLVariant("123")},
        {kAdd, CVXLVariant(3), CVXLVariant("12"), CVXLVariant(15)},
        {kAdd, empty, CVXLVariant(5), CVXLVariant("5")},
        {kSub, CVXLVariant("abc"), CVXLVariant(1), CVXLVariant(-1)},
        {kMul, CVXLVariant(-6), CVXLVariant("7"), CVXLVariant(-42)},
        {kDiv, CVXLVariant(-7), CVXLVariant(2), CVXLVariant(-3)},
        {kMod, CVXLVariant(-7), CVXLVariant(2), CVXLVariant(-1)},
        {kDiv, CVXLVariant(9), CVXLVariant("0"), CVXLVariant(0)},
        {kEq, CVXLVariant(7), CVXLVariant("007"), CVXLVariant(1)},
        {kEq, CVXLVariant("007"), CVXLVariant(7), CVXLVariant(0)},
        {kNe, CVXLVariant("007"), CVXLVariant(7), CVXLVariant(1)},
        {kLt, CVXLVariant(5), CVXLVariant("10"), CVXLVariant(1)},
        {kLt, CVXLVariant("5"), CVXLVariant(10), CVXLVariant(0)},
        {kGt, CVXLVariant(5), empty, CVXLVariant(1)},
        {kLe, CVXLVariant(-1), CVXLVariant(-1), CVXLVariant(1)},
        {kGe, CVXLVariant("a"), CVXLVariant("b"), CVXLVariant(0)},
        {kNeg, CVXLVariant(4), empty, CVXLVariant(-4)},
        {kNeg, CVXLVariant("12"), empty, CVXLVariant(-12)},
        {kNot, CVXLVariant("0"), empty, CVXLVariant(0)},
        {kNot, CVXLVariant(""), empty, CVXLVariant(1)},
        {kNot, empty, empty, CVXLVariant(1)},
        {kNot, CVXLVariant(0), empty, CVXLVariant(1)},
        // && and || give the deciding operand itself.
        {kAnd, CVXLVariant(""), CVXLVariant(3), CVXLVariant("")},
        {kAnd, CVXLVariant("x"), CVXLVariant(3), CVXLVariant(3)},
        {kOr, CVXLVariant("x"), CVXLVariant(3), CVXLVariant("x")},
        {kOr, CVXLVariant(0), empty, empty},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
            << "op " << c.op << " " << c.left.toString().c_str() << ", " << c.right.toString().c_str());
        interpreter.reset();
        RunOutcome r = run({CVXLVariant(static_cast<int>(c.op)), c.left, c.right});
        EXPECT_EQ(r.completion, kCompletionReturned);
        EXPECT_EQ(r.result.kind(), c.expected.kind());
        EXPECT_STREQ(r.result.toString().c_str(), c.expected.toString().c_str());
    }
}

TEST_F(InterpreterTest, CallsPassParametersAndLocalsAndReturnResults)
{
    compile(R"(
entry main;
global g_trace;
function main(a, b) {
    var x = 100;
    g_trace = "";
    x = x + add3(a, b, 10);
    return twice(x) + g_trace;
}
function add3(p, q, r) {
    var sum;
    sum = p + q + r;
    g_trace = g_trace + "a";
    return sum;
}
function twice(v) { g_trace = g_trace + "t"; return v * 2; }
)");
    RunOutcome r = run({CVXLVariant(1), CVXLVariant(2)});
    EXPECT_EQ(r.completion, kCompletionReturned);
    // 2 * (100 + 13) = 226; an integer left operand adds numerically, so the
    // trace text "at" converts to 0.
    EXPECT_EQ(r.result.kind(), CVXLVariant::kInteger);
    EXPECT_EQ(r.result.toInt(), 226);
    EXPECT_STREQ(interpreter.global(0).toString().c_str(), "at");
    EXPECT_EQ(interpreter.frames().count(), 0u);
    EXPECT_EQ(interpreter.values().count(), 0u);
}

TEST_F(InterpreterTest, SwitchJumpsToItsCaseItsDefaultOrOn)
{
    compile(R"(
entry main;
function main(which, key) {
    var r = "";
    if (which == 1) {
        switch (key) { case 1: r = "one"; case -2: r = "minus two"; default: r = "other"; }
    } else {
        switch (key) { case 1: r = "one"; case 3: r = "three"; }
        r = r + "|after";
    }
    return r;
}
)");
    struct Case {
        int which;
        CVXLVariant key;
        const char* expected;
    };
    const Case cases[] = {
        {1, CVXLVariant(1), "one"},
        {1, CVXLVariant(-2), "minus two"},
        {1, CVXLVariant(7), "other"},
        // The key is taken as a 16-bit signed number.
        {1, CVXLVariant(65534), "minus two"},
        {1, CVXLVariant("1"), "one"},
        {2, CVXLVariant(3), "three|after"},
        {2, CVXLVariant(4), "|after"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        interpreter.reset();
        RunOutcome r = run({CVXLVariant(c.which), c.key});
        EXPECT_STREQ(r.result.toString().c_str(), c.expected);
    }
}

TEST_F(InterpreterTest, GlobalsGrowOnWriteAndReadEmptyBeyondTheArray)
{
    // Compiled with 13 globals, then the container says 7.
    std::vector<std::uint8_t> bytes = compileScenario(R"(
entry main;
global g0, g1, g2, g3, g4, g5, g6, g7, g8, g9, g10, g11, g12;
function main() { g9 = "nine"; return g12; }
)");
    ASSERT_GE(bytes.size(), 2u);
    bytes[0] = 7;
    bytes[1] = 0;
    load(bytes);
    EXPECT_EQ(interpreter.globalCount(), 7u);
    RunOutcome r = run();
    EXPECT_EQ(r.completion, kCompletionReturned);
    EXPECT_EQ(r.result.kind(), CVXLVariant::kEmpty);
    EXPECT_EQ(interpreter.globalCount(), 10u);
    EXPECT_STREQ(interpreter.global(9).toString().c_str(), "nine");
    EXPECT_EQ(interpreter.global(8).kind(), CVXLVariant::kEmpty);
}

TEST_F(InterpreterTest, SliceRunsTenInstructions)
{
    struct Case {
        int instructions;
        int slices;
    };
    for (const Case& c : {Case {25, 3}, Case {10, 1}, Case {11, 2}, Case {2, 1}}) {
        SCOPED_TRACE(c.instructions);
        ProgramBuilder b;
        for (int i = 0; i < c.instructions - 2; ++i)
            b.op(0);
        b.op(130, 5).op(16);
        b.functions.push_back({"main", 0, 0, 0, 0});
        load(b.bytes());
        RunOutcome r = run();
        EXPECT_EQ(r.slices, c.slices);
        EXPECT_EQ(r.completion, kCompletionReturned);
        EXPECT_EQ(r.result.toInt(), 5);
    }
}

TEST_F(InterpreterTest, OutermostReturnWithEmptyStackGivesEmptyResult)
{
    ProgramBuilder b;
    b.op(16);
    b.functions.push_back({"main", 0, 0, 0, 0});
    load(b.bytes());
    RunOutcome r = run();
    EXPECT_EQ(r.completion, kCompletionReturned);
    EXPECT_EQ(r.result.kind(), CVXLVariant::kEmpty);
}

TEST_F(InterpreterTest, HaltAndExitEndTheRunAndUnwindScreenJobs)
{
    compile(R"(
entry main;
function main(how) {
    inner(how);
    return "not reached";
}
function inner(how) {
    if (how == 1) halt;
    exit how + 40;
}
)");
    RunOutcome halted = run({CVXLVariant(1)});
    EXPECT_EQ(halted.completion, kCompletionHalted);
    EXPECT_EQ(halted.result.kind(), CVXLVariant::kEmpty);
    EXPECT_EQ(host.unwinds, 1);
    EXPECT_EQ(interpreter.frames().count(), 0u);

    interpreter.reset();
    RunOutcome exited = run({CVXLVariant(2)});
    EXPECT_EQ(exited.completion, kCompletionHalted);
    EXPECT_EQ(exited.result.toInt(), 42);
    EXPECT_EQ(host.unwinds, 2);
}

TEST_F(InterpreterTest, BuiltinsAreCalledByIndexAndMaySuspend)
{
    compile(R"(
entry main;
screen function main() {
    _print("a", 1);
    return sub();
}
screen function sub() {
    _assert(1);
    return 4;
}
)");
    int calls = 0;
    host.builtin = [&](std::uint32_t) { return ++calls == 1 ? 0 : 1; };
    RunOutcome r = run();
    // _print (0) suspends once; the screen return of sub suspends once more and
    // tells the host it returned into a screen function.
    EXPECT_EQ((std::vector<std::uint32_t> {0, 9}), host.builtins);
    EXPECT_EQ(r.slices, 3);
    EXPECT_EQ(host.screenReleases, 2);
    EXPECT_EQ(host.screenResumes, 1);
    EXPECT_EQ(r.completion, kCompletionReturned);
    EXPECT_EQ(r.result.toInt(), 4);
}

// Programs the compiler would never emit: each must stop the run with an
// error instead of reading or writing outside the machine's stacks or code.
TEST_F(InterpreterTest, BadInstructionsStopTheRunWithAnError)
{
    struct Case {
        const char* what;
        std::function<void(ProgramBuilder&)> build;
    };
    const Case cases[] = {
        {"pop of an empty stack", [](ProgramBuilder& b) { b.op(1); }},
        {"binary operator on one value", [](ProgramBuilder& b) { b.op(130, 1).op(9); }},
        {"frame variable outside the frame", [](ProgramBuilder& b) { b.op(129, -2); }},
        {"assignment outside the frame", [](ProgramBuilder& b) { b.op(128, -5).op(130, 1).op(2); }},
        {"jump before the code", [](ProgramBuilder& b) { b.op(137, -3); }},
        {"jump past the code", [](ProgramBuilder& b) { b.op(137, 200); }},
        {"string constant out of range", [](ProgramBuilder& b) { b.op(131, 5); }},
        {"switch table out of range", [](ProgramBuilder& b) { b.op(130, 1).op(132, 3); }},
        {"call of an unknown function", [](ProgramBuilder& b) { b.op(134, 9); }},
        {"call without its parameters", [](ProgramBuilder& b) { b.op(134, 1); }},
        {"running off the end of the code", [](ProgramBuilder& b) { b.op(0); }},
        {"operand cut by the end of the code", [](ProgramBuilder& b) { b.op(0).code.push_back(130); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // The callee's code comes first, so main's is last in the code.
        ProgramBuilder b;
        b.op(16);
        b.functions.push_back({"main", 0, 1, 1, 0});
        b.functions.push_back({"callee", 2, 2, 0, 0});
        c.build(b);
        load(b.bytes());
        host.unwinds = 0;
        RunOutcome r = run();
        EXPECT_EQ(r.completion, kCompletionFailed);
        EXPECT_EQ(r.error, kResultMachineBadProgram);
        EXPECT_FALSE(interpreter.isRunning());
        EXPECT_EQ(host.unwinds, 1);
    }
}

TEST_F(InterpreterTest, UndefinedOpcodesDoNothing)
{
    ProgramBuilder b;
    b.op(20).op(127).op(142, 7).op(255, -1).op(130, 9).op(16);
    b.functions.push_back({"main", 0, 0, 0, 0});
    load(b.bytes());
    RunOutcome r = run();
    EXPECT_EQ(r.completion, kCompletionReturned);
    EXPECT_EQ(r.result.toInt(), 9);
}

// A function that calls itself for ever with a large frame fills the frame
// stack to its bound and fails, instead of taking the device's memory.
TEST(InterpreterStackBound, EndlessRecursionFailsAtTheStackBound)
{
    ProgramBuilder b;
    b.op(134, 0);
    b.functions.push_back({"main", 0, 60000, 0, 0});
    const std::vector<std::uint8_t> bytes = b.bytes();
    CVXLScenarioProgram program;
    ASSERT_TRUE(program.load(bytes.data(), static_cast<std::uint32_t>(bytes.size())));
    RecordingHost host;
    CVXLInterpreter interpreter {&host};
    interpreter.setProgram(&program);
    interpreter.reset();
    ASSERT_TRUE(interpreter.call(0));
    int slices = 0;
    while (slices < 1000 && interpreter.runSlice() != CVXLInterpreter::kSliceStopped)
        ++slices;
    EXPECT_EQ(interpreter.completion(), kCompletionFailed);
    EXPECT_EQ(interpreter.error(), kResultMachineBadProgram);
    EXPECT_LE(interpreter.frames().count(), CVXLValueStack::kMaxCapacity);
    // 17 calls of 60,003 entries fit a million; the 18th does not.
    EXPECT_LT(slices, 3);
}

} // namespace
