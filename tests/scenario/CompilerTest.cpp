#include "tools/scenarioc/Compiler.h"
#include "tools/scenarioc/Opcodes.h"
#include "tools/scenarioc/Verifier.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace scenarioc {
namespace {

struct Op {
    int op;
    int operand = 0;
    bool operator==(const Op& o) const { return op == o.op && operand == o.operand; }
};

std::ostream& operator<<(std::ostream& os, const Op& o)
{
    return os << "{" << o.op
              << (hasOperand(static_cast<std::uint8_t>(o.op)) ? ", " + std::to_string(o.operand) : "") << "}";
}

Container compileOk(const std::string& text)
{
    Container c;
    std::string error;
    EXPECT_TRUE(Compiler::compile({{"t.sc", text}}, c, error)) << error;
    return c;
}

// The instructions of one function, jump targets relative to the function's start.
std::vector<Op> codeOf(const Container& c, std::size_t function)
{
    const std::uint32_t start = c.functions.at(function).start;
    std::uint32_t end = static_cast<std::uint32_t>(c.code.size());
    for (const FunctionRecord& f : c.functions) {
        if (f.start > start && f.start < end)
            end = f.start;
    }
    std::vector<Op> out;
    for (std::uint32_t at = start; at < end;) {
        Instruction in;
        if (!decodeInstruction(c.code, at, in))
            break;
        int operand = in.operand;
        if (in.op >= kOpJump && in.op <= kOpOr)
            operand -= static_cast<int>(start);
        out.push_back({in.op, operand});
        at += in.size;
    }
    return out;
}

TEST(ScenarioCompiler, ConstructsCompileToTheirInstructionSequences)
{
    struct Case {
        const char* what;
        const char* body; // of "function f(a, b)"; locals follow a and b in the frame
        std::vector<Op> code;
    };
    const Case cases[] = {
        {"parameters are the deepest frame slots; locals follow", "var c; c = a; return b;",
            {{128, -1}, {129, -3}, {2}, {129, -2}, {16}}},
        {"globals are numbered from 0", "g1 = 7; return g0;", {{128, 1}, {130, 7}, {2}, {129, 0}, {16}}},
        {"falling off the end returns 0", "", {{130, 0}, {16}}},
        {"if without else", "if (a) return 1; return 2;",
            {{129, -2}, {138, 10}, {130, 1}, {16}, {130, 2}, {16}}},
        {"if with else skips the else", "if (a) g0 = 1; else g0 = 2;",
            {{129, -2}, {138, 16}, {128, 0}, {130, 1}, {2}, {137, 23}, {128, 0}, {130, 2}, {2}, {130, 0},
                {16}}},
        {"and keeps a false left value as the result", "return a && b;",
            {{129, -2}, {140, 9}, {129, -1}, {16}}},
        {"or keeps a true left value as the result", "return a || b;",
            {{129, -2}, {141, 9}, {129, -1}, {16}}},
        {"comparison keeps the operands' sides", "return 3 == a;", {{130, 3}, {129, -2}, {3}, {16}}},
        {"every comparison", "return (a != b) + (a < b) + (a > b) + (a <= b) + (a >= b);",
            {{129, -2}, {129, -1}, {4}, {129, -2}, {129, -1}, {5}, {9}, {129, -2}, {129, -1}, {6}, {9},
                {129, -2}, {129, -1}, {7}, {9}, {129, -2}, {129, -1}, {8}, {9}, {16}}},
        {"precedence of arithmetic", "return a - b * 2 / a % b;",
            {{129, -2}, {129, -1}, {130, 2}, {11}, {129, -2}, {12}, {129, -1}, {13}, {10}, {16}}},
        {"negative literal and negation", "return -5 + -a;", {{130, -5}, {129, -2}, {14}, {9}, {16}}},
        {"not", "return !a;", {{129, -2}, {15}, {16}}},
        {"built-in with a result, used", "return _get_internal_config(1);", {{130, 1}, {136, 34}, {16}}},
        {"built-in without a result as a statement is not popped", "_send_self(8);",
            {{130, 8}, {136, 8}, {130, 0}, {16}}},
        {"built-in with a result as a statement is popped", "_is_3rd_party_upload_supported();",
            {{136, 28}, {1}, {130, 0}, {16}}},
        {"_print pushes its count after the values", "_print(a, b);",
            {{129, -2}, {129, -1}, {130, 2}, {136, 0}, {130, 0}, {16}}},
        {"plain call 134, screen call 135, results popped", "plain(a); scr();",
            {{129, -2}, {134, 1}, {1}, {135, 2}, {1}, {130, 0}, {16}}},
        {"halt and exit", "if (a) halt; exit 16;", {{129, -2}, {138, 7}, {18}, {130, 16}, {19}}},
        {"switch without default goes on after the switch",
            "switch (a) { case 1: g0 = 1; case 2, 3: g0 = 2; } return 0;",
            {{129, -2}, {132, 0}, {137, 26}, {128, 0}, {130, 1}, {2}, {137, 26}, {128, 0}, {130, 2}, {2},
                {130, 0}, {16}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string text = std::string("global g0, g1;\nfunction f(a, b) {") + c.body
            + "}\nfunction plain(x) { return x; }\nscreen function scr() { return 0; }\n";
        const Container p = compileOk(text);
        EXPECT_EQ(codeOf(p, 0), c.code);
        EXPECT_TRUE(Verifier::verify(p).empty());
    }
}

TEST(ScenarioCompiler, ConstantsCompileToExactlyTheirNumbers)
{
    struct Case {
        const char* what;
        const char* named; // body of "screen function f(a)", with the constants of codes.sc
        const char* numbers;
    };
    const char* codes = "const kBack = 8;\nconst kDone = 10;\nconst kJob = 4;\nconst kLow = -32768;\n";
    const Case cases[] = {
        {"an argument", "@switch_to_uijob(kJob);", "@switch_to_uijob(4);"},
        {"wait labels, beside a number", "wait { case kDone: return 1; case kBack, 9: return 0; }",
            "wait { case 10: return 1; case 8, 9: return 0; }"},
        {"switch labels, negated and negative", "switch (a) { case -kDone: return 1; case kLow: return 2; }",
            "switch (a) { case -10: return 1; case -32768: return 2; }"},
        {"operands", "return a == kDone || kJob - a;", "return a == 10 || 4 - a;"},
        {"a negated constant is one number, as a negative literal", "return -kDone + !kBack;",
            "return -10 + !8;"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string head = "screen function f(a) {";
        Container named;
        Container numbers;
        std::string error;
        ASSERT_TRUE(Compiler::compile({{"codes.sc", codes}, {"t.sc", head + c.named + "}"}}, named, error))
            << error;
        ASSERT_TRUE(Compiler::compile({{"t.sc", head + c.numbers + "}"}}, numbers, error)) << error;
        EXPECT_EQ(named.serialize(), numbers.serialize());
    }
}

TEST(ScenarioCompiler, WaitLoopsBackAndScreenFunctionsReturnWith17)
{
    const Container p = compileOk("screen function s() {\n"
                                  "  @switch_to_uijob(4);\n"
                                  "  @uijob_go();\n"
                                  "  wait {\n"
                                  "  case 10: _set_resume_event(13);\n"
                                  "  case 8, 7: return 0;\n"
                                  "  case 9: halt;\n"
                                  "  }\n"
                                  "}\n");
    const std::vector<Op> expected = {
        {130, 4}, {136, 43}, {136, 44}, {136, 45}, {133, 0},
        {137, 9}, // 9: wait; a code without a case waits again
        {130, 13}, {136, 5}, {137, 9}, // 18: case 10, then back to the wait
        {130, 0}, {17}, // 27: case 8 and 7
        {18}, // 31: case 9
    };
    EXPECT_EQ(codeOf(p, 0), expected);
    ASSERT_EQ(p.switches.size(), 1u);
    EXPECT_EQ(p.switches[0].defaultCase, kNoCase);
    ASSERT_EQ(p.switches[0].caseCount, 4u);
    const std::pair<int, int> keys[] = {{10, 18}, {8, 27}, {7, 27}, {9, 31}};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(p.cases[p.switches[0].firstCase + i].key, keys[i].first);
        EXPECT_EQ(p.cases[p.switches[0].firstCase + i].target, keys[i].second);
    }
}

TEST(ScenarioCompiler, DefaultRecordHasKey0JustBeforeItsCases)
{
    const Container p = compileOk("function f(a) {\n"
                                  "  switch (a) { case -4: return 1; }\n"
                                  "  switch (a) { case 5: return 2; case 6: default: return 3; }\n"
                                  "}\n");
    ASSERT_EQ(p.switches.size(), 2u);
    ASSERT_EQ(p.cases.size(), 4u);
    EXPECT_EQ(p.switches[0].defaultCase, kNoCase);
    EXPECT_EQ(p.cases[p.switches[0].firstCase].key, -4);
    const SwitchRecord& s = p.switches[1];
    ASSERT_NE(s.defaultCase, kNoCase);
    EXPECT_EQ(s.defaultCase + 1, s.firstCase);
    EXPECT_EQ(p.cases[s.defaultCase].key, 0);
    EXPECT_EQ(s.caseCount, 2u);
    // Stacked labels share one body.
    EXPECT_EQ(p.cases[s.firstCase + 1].target, p.cases[s.defaultCase].target);
    EXPECT_NE(p.cases[s.firstCase].target, p.cases[s.defaultCase].target);
}

TEST(ScenarioCompiler, TablesHeaderAndStringPool)
{
    const Container p = compileOk("program \"P.p2\"; version \"7\"; entry main;\n"
                                  "global x;\n"
                                  "function 2 helper() { return \"b\"; }\n"
                                  "function main(a, b) { var l; x = \"b\"; return \"\" + \"a b\"; }\n"
                                  "function 0 @start() { return \"a b\"; }\n");
    EXPECT_EQ(p.name, "P.p2");
    EXPECT_EQ(p.version, "7");
    EXPECT_EQ(p.globalCount, 1);
    ASSERT_EQ(p.functions.size(), 3u);
    EXPECT_EQ(p.functionName(0), "@start");
    EXPECT_EQ(p.functionName(1), "main"); // the free index left between the explicit ones
    EXPECT_EQ(p.functionName(2), "helper");
    EXPECT_EQ(p.entryFunction, 1);
    EXPECT_EQ(p.functions[1].paramCount, 2);
    EXPECT_EQ(p.functions[1].frameSize, 3);
    EXPECT_EQ(p.functions[1].screen, 0);
    // The empty text first, then each literal once in byte order.
    EXPECT_EQ(p.strings, (std::vector<std::string> {"", "a b", "b"}));
    EXPECT_EQ(codeOf(p, 0), (std::vector<Op> {{131, 1}, {16}}));
    EXPECT_EQ(codeOf(p, 2), (std::vector<Op> {{131, 2}, {16}}));
}

TEST(ScenarioCompiler, ErrorsNameTheFileLineAndCause)
{
    struct Case {
        const char* source;
        const char* message;
    };
    const Case cases[] = {
        {"function f() {\n  return y;\n}", "t.sc:2: unknown variable y"},
        {"function f() {\n  g();\n}", "t.sc:2: call of undefined function g"},
        {"function f(a) { return 0; }\nfunction h() {\n  f(1, 2);\n}", "t.sc:3: f takes 1 arguments, not 2"},
        {"function f() {\n  return _send_self(1);\n}", "t.sc:2: _send_self gives no value"},
        {"function f() {\n  _assert();\n}", "t.sc:2: _assert takes 1 arguments, not 0"},
        {"function f() {\n  return @wait_for_next_event();\n}",
            "t.sc:2: @wait_for_next_event is called by a wait"},
        {"function f(a) {\n  switch (a) { case 1: halt;\n  case 1: halt; }\n}",
            "t.sc:3: case 1 appears twice"},
        {"function f() {\n  return 40000;\n}", "t.sc:2: number 40000 is not a 16-bit number"},
        {"function f() {\n  return 1;\n  halt;\n}", "t.sc:3: statement can never run"},
        {"function f() {\n  break;\n}", "t.sc:2: break outside a switch or wait"},
        {"function f(a) {\n  switch (a) { case 1: continue; }\n}", "t.sc:2: continue outside a wait"},
        {"function 0 f() { return 0; }\nfunction 0 g() { return 0; }",
            "t.sc:2: function index 0 is given to both f and g"},
        {"function 3 f() { return 0; }", "t.sc:1: function index 3 of f leaves a gap"},
        {"function f() {\n  return \"abc;\n}", "t.sc:2: string not closed"},
        {"function f() {\n  return 1 # 2;\n}", "t.sc:2: unexpected character '#'"},
        {"function f() {\n  return 1\n}", "t.sc:3: expected ';' but found '}'"},
        {"entry nothere;\nfunction f() { return 0; }", "t.sc:1: entry function nothere is not defined"},
        {"global a;\nglobal a;", "t.sc:2: global a is declared twice"},
        {"function f(a, a) { return 0; }", "t.sc:1: parameter a is named twice"},
        {"function f() {\n  1 + 2;\n}", "t.sc:2: expected a statement but found number 1"},
        {"function f(a) {\n  return a == 1 == 2;\n}", "t.sc:2: comparisons do not chain"},
        {"function f(a) {\n  switch (a) { case 1:\n  }\n}", "t.sc:2: the last case label has no statements"},
        {"function _print() { return 0; }", "t.sc:1: _print is the name of a built-in"},
        {"function f() {\n  /* never closed\n", "t.sc:2: comment not closed"},
        {"const k = 1;\nconst k = 2;", "t.sc:2: constant k is defined twice (first at t.sc:1)"},
        {"function f() {\n  return k;\n}\nconst k = 1;",
            "t.sc:2: constant k is used before its definition at t.sc:4"},
        {"global k;\nconst k = 1;", "t.sc:2: k is already a global"},
        {"const k = 1;\nglobal k;", "t.sc:2: k is already a constant"},
        {"function k() { return 0; }\nconst k = 1;", "t.sc:2: k is already a function"},
        {"const k = 1;\nfunction k() { return 0; }", "t.sc:2: k is already a constant"},
        {"const k = 1;\nfunction f(a,\n  k) { return 0; }", "t.sc:3: k is already a constant"},
        {"const k = 1;\nfunction f() {\n  var k;\n}", "t.sc:3: k is already a constant"},
        {"const _print = 1;", "t.sc:1: _print is the name of a built-in"},
        {"const k = 32768;", "t.sc:1: constant k = 32768 is not a 16-bit number"},
        {"const k = -32769;", "t.sc:1: constant k = -32769 is not a 16-bit number"},
        {"const k = j;", "t.sc:1: expected the value of k (a number) but found 'j'"},
        {"const k = 1;\nfunction f() {\n  k = 2;\n}", "t.sc:3: k is a constant and cannot be assigned"},
        {"const k = 1;\nfunction f() {\n  return k();\n}", "t.sc:3: k is a constant, not a function"},
        {"const k = -32768;\nfunction f() {\n  return -k;\n}", "t.sc:3: number 32768 is not a 16-bit number"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        Container p;
        std::string error;
        EXPECT_FALSE(Compiler::compile({{"t.sc", c.source}}, p, error));
        EXPECT_EQ(error.rfind(c.message, 0), 0u) << error;
    }
}

TEST(ScenarioCompiler, RefusesCodeBeyondTheReachOfAJump)
{
    std::string body;
    for (int i = 0; i < 5000; ++i)
        body += "g = 1;\n"; // 7 bytes each
    Container p;
    std::string error;
    EXPECT_FALSE(Compiler::compile({{"big.sc", "global g;\nfunction f() {\n" + body + "}\n"}}, p, error));
    EXPECT_NE(error.find("at most 32768 can be addressed"), std::string::npos) << error;
}

TEST(ScenarioCompiler, DeclarationsSpanSeveralFiles)
{
    Container p;
    std::string error;
    EXPECT_FALSE(
        Compiler::compile({{"a.sc", "global g;\nfunction 1 f() { return h(); }"},
                              {"b.sc", "screen function 0 h() { g = 1; }\nfunction k() {\n  return q;\n}"}},
            p, error));
    EXPECT_EQ(error.rfind("b.sc:3: unknown variable q", 0), 0u) << error;
    ASSERT_TRUE(Compiler::compile(
        {{"a.sc", "global g;\nfunction 1 f() { return h(); }"}, {"b.sc", "screen function 0 h() { g = 1; }"}},
        p, error))
        << error;
    EXPECT_EQ(p.functionName(0), "h");
    EXPECT_EQ(codeOf(p, 1), (std::vector<Op> {{135, 0}, {16}}));
}

} // namespace
} // namespace scenarioc
