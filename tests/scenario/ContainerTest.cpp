#include "engine/client/machine/MasterProgram.h"
#include "tools/scenarioc/Compiler.h"
#include "tools/scenarioc/Disassembler.h"
#include "tools/scenarioc/Opcodes.h"
#include "tools/scenarioc/Verifier.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace scenarioc {
namespace {

Container smallProgram()
{
    Container c;
    std::string error;
    EXPECT_TRUE(
        Compiler::compile({{"s.sc",
                              "program \"S\"; entry main; global g;\n"
                              "function @start() { g = \"x\"; return 0; }\n"
                              "function main(a, b) { switch (a) { case 1: return f(); default: halt; } }\n"
                              "screen function f() { @switch_to_uijob(4); @uijob_go();\n"
                              "  wait { case 8: return 0; case 9: halt; } }\n"}},
            c, error))
        << error;
    return c;
}

TEST(ScenarioContainer, RoundTripsAndRejectsEveryTruncation)
{
    const Container c = smallProgram();
    const std::vector<std::uint8_t> bytes = c.serialize();
    Container back;
    std::string error;
    ASSERT_TRUE(Container::parse(bytes, back, error)) << error;
    EXPECT_EQ(back.serialize(), bytes);
    EXPECT_EQ(back.functionName(2), "f");
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        const std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
        Container t;
        EXPECT_FALSE(Container::parse(cut, t, error))
            << "accepted " << n << " of " << bytes.size() << " bytes";
    }
    std::vector<std::uint8_t> longer = bytes;
    longer.push_back(0);
    EXPECT_FALSE(Container::parse(longer, back, error));
}

TEST(ScenarioContainer, ParseRejectsIndexesOutsideTheTables)
{
    struct Case {
        const char* what;
        void (*spoil)(Container&);
    };
    const Case cases[] = {
        {"function name index", [](Container& c) { c.functions[1].nameIndex = 9; }},
        {"function start",
            [](Container& c) { c.functions[1].start = static_cast<std::uint16_t>(c.code.size()); }},
        {"frame smaller than the parameters", [](Container& c) { c.functions[1].frameSize = 1; }},
        {"case target", [](Container& c) { c.cases[0].target = 0xFFFF; }},
        {"switch cases", [](Container& c) { c.switches[0].caseCount = 100; }},
        {"switch default", [](Container& c) { c.switches[0].defaultCase = 100; }},
        {"entry function", [](Container& c) { c.entryFunction = 3; }},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        Container c = smallProgram();
        k.spoil(c);
        Container back;
        std::string error;
        EXPECT_FALSE(Container::parse(c.serialize(), back, error));
        EXPECT_FALSE(error.empty());
    }
}

TEST(ScenarioContainer, VerifierFlagsWhatAForeignProgramGetsWrong)
{
    struct Case {
        const char* what;
        std::vector<std::uint8_t> code; // one function with 1 parameter and 1 local
        const char* issue;
    };
    const Case cases[] = {
        {"clean", {kOpPushNumber, 0, 1, kOpReturn}, nullptr},
        {"pop of an empty stack", {kOpPop, kOpHalt}, "pops 1 values with 0"},
        {"jump outside the code", {kOpJump, 0x10, 0x00}, "jump target 4096 is not an instruction"},
        {"jump into an operand", {kOpPushNumber, 0, 1, kOpJump, 0, 1}, "jump target 1 is not an instruction"},
        {"frame variable beyond the frame", {kOpPushVar, 0xFF, 0xFD, kOpReturn},
            "variable -3 outside the frame"},
        {"global beyond the declared", {kOpPushVar, 0, 5, kOpReturn}, "global 5 beyond the declared 1"},
        {"string index", {kOpPushString, 0, 7, kOpReturn}, "string constant 7 out of range"},
        {"function index", {kOpCall, 0, 9, kOpReturn}, "function 9 out of range"},
        {"built-in index", {kOpBuiltin, 0, 46, kOpHalt}, "built-in 46 out of range"},
        {"switch index", {kOpPushNumber, 0, 1, kOpSwitch, 0, 3, kOpHalt}, "switch table 3 out of range"},
        {"operand cut off", {kOpHalt, kOpPushNumber, 0}, "operand runs past the end"},
        {"running off the end", {kOpPushNumber, 0, 1}, "runs off the end"},
        {"different depths at a join",
            {kOpPushVar, 0xFF, 0xFE, kOpJumpFalse, 0, 10, kOpPushNumber, 0, 1, kOpNop, kOpPushNumber, 0, 1,
                kOpReturn},
            "reached with stack depths"},
        {"_print without a constant count", {kOpPushVar, 0xFF, 0xFE, kOpBuiltin, 0, 0, kOpHalt},
            "_print without a constant count"},
        {"undefined opcode", {77, kOpHalt}, "undefined opcode 77"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        Container c;
        c.globalCount = 1;
        c.code = k.code;
        c.functions.push_back({0, 1, 2, 0, 0});
        c.functionNames.push_back("f");
        c.strings.push_back("");
        const std::vector<Issue> issues = Verifier::verify(c);
        if (k.issue == nullptr) {
            EXPECT_TRUE(issues.empty()) << issues.front().message;
            continue;
        }
        bool found = false;
        for (const Issue& i : issues)
            found = found || i.message.find(k.issue) != std::string::npos;
        EXPECT_TRUE(found) << (issues.empty() ? "no issue" : issues.front().message);
        EXPECT_NE(Disassembler::listing(c).find(std::string("!! ") + k.issue), std::string::npos);
    }
}

TEST(ScenarioContainer, ListingResolvesOperands)
{
    const std::string text = Disassembler::listing(smallProgram());
    for (const char* part : {"program \"S\"", "function 2 f (params 0, frame 0, screen)",
             "builtin      43 @switch_to_uijob", "call.screen  2 f", "case 8 -> ", "default -> ",
             "string       [1] \"x\"", "load         -2  param 0", "no problems found"}) {
        EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
    }
}

// The engine embeds exactly what the shipped sources compile to.
TEST(ScenarioContainer, EmbeddedMasterProgramIsTheCompiledSources)
{
    std::vector<SourceFile> sources;
    for (const char* name :
        {"codes", "program", "main", "mailbox", "send", "print_dest", "albums", "popups"}) {
        const std::string path = std::string(TESSEL_SOURCE_DIR) + "/tools/scenarioc/master/" + name + ".sc";
        std::ifstream in(path);
        ASSERT_TRUE(in) << path;
        std::ostringstream text;
        text << in.rdbuf();
        sources.push_back({path, text.str()});
    }
    Container compiled;
    std::string error;
    ASSERT_TRUE(Compiler::compile(sources, compiled, error)) << error;
    const std::vector<std::uint8_t> embedded(kMasterP2, kMasterP2 + kMasterP2Size);
    EXPECT_EQ(compiled.serialize(), embedded);

    Container master;
    ASSERT_TRUE(Container::parse(embedded, master, error)) << error;
    EXPECT_TRUE(Verifier::verify(master).empty());
    EXPECT_EQ(master.functions.size(), 85u);
    EXPECT_EQ(master.switches.size(), 82u);
    EXPECT_EQ(master.cases.size(), 398u);
    EXPECT_EQ(master.strings.size(), 69u);
}

} // namespace
} // namespace scenarioc
