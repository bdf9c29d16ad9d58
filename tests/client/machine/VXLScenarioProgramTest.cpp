#include "engine/client/machine/VXLScenarioProgram.h"
#include "engine/client/machine/MasterProgram.h"
#include "engine/client/machine/VXLInterpreter.h"
#include "engine/client/machine/VXLInterpreterHost.h"
#include "tests/client/ProgramBuilder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

namespace {

TEST(VXLScenarioProgram, ReadsTheShippedProgram)
{
    CVXLScenarioProgram program;
    ASSERT_TRUE(program.load(kMasterP2, kMasterP2Size)) << program.error().c_str();
    EXPECT_STREQ(program.name().c_str(), "Master.p2");
    EXPECT_EQ(program.globalCount(), 7);
    EXPECT_EQ(program.entryFunction(), 1);
    EXPECT_EQ(program.functionCount(), 85u);
    EXPECT_EQ(program.switchCount(), 82u);
    EXPECT_EQ(program.caseCount(), 398u);
    EXPECT_EQ(program.stringCount(), 69u);
    EXPECT_STREQ(program.functionName(0).c_str(), "@start");
    EXPECT_STREQ(program.functionName(1).c_str(), "main");
    EXPECT_EQ(program.function(1)->paramCount, 2);
    EXPECT_EQ(program.function(85), nullptr);
    CVXLString text;
    ASSERT_TRUE(program.stringAt(0, text));
    EXPECT_STREQ(text.c_str(), "");
    EXPECT_FALSE(program.stringAt(69, text));
}

TEST(VXLScenarioProgram, RejectsEveryTruncation)
{
    std::vector<std::uint8_t> bytes(kMasterP2, kMasterP2 + kMasterP2Size);
    // Every cut lands inside some count, length or record.
    for (std::uint32_t size = 0; size < bytes.size(); ++size) {
        CVXLScenarioProgram program;
        ASSERT_FALSE(program.load(bytes.data(), size)) << size;
        EXPECT_FALSE(program.isLoaded());
        EXPECT_GT(program.error().length(), 0u);
    }
    std::vector<std::uint8_t> longer = bytes;
    longer.push_back(0);
    CVXLScenarioProgram program;
    EXPECT_FALSE(program.load(longer.data(), static_cast<std::uint32_t>(longer.size())));
}

TEST(VXLScenarioProgram, RejectsReferencesOutsideItsTables)
{
    struct Case {
        const char* what;
        std::function<void(ProgramBuilder&)> spoil;
    };
    const Case cases[] = {
        {"entry function out of range", [](ProgramBuilder& b) { b.entry = 2; }},
        {"function start outside the code", [](ProgramBuilder& b) { b.functions[0].start = 9; }},
        {"frame smaller than the parameters", [](ProgramBuilder& b) { b.functions[0].params = 2; }},
        {"screen flag not 0 or 1", [](ProgramBuilder& b) { b.functions[0].screen = 2; }},
        {"case target outside the code", [](ProgramBuilder& b) { b.cases[0].target = 9; }},
        {"switch cases past the case table", [](ProgramBuilder& b) { b.switches[0].caseCount = 2; }},
        {"switch cases wrapping around",
            [](ProgramBuilder& b) {
                b.switches[0].firstCase = 1;
                b.switches[0].caseCount = 0xFFFFFFFF;
            }},
        {"default case outside the case table", [](ProgramBuilder& b) { b.switches[0].defaultCase = 1; }},
        {"code longer than a jump reaches", [](ProgramBuilder& b) { b.code.resize(0x8001); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProgramBuilder b;
        b.op(130, 1).op(16);
        b.functions.push_back({"main", 0, 0, 0, 0});
        b.cases.push_back({1, 0});
        b.switches.push_back({CVXLScenarioProgram::kNoCase, 1, 0});
        CVXLScenarioProgram program;
        std::vector<std::uint8_t> good = b.bytes();
        ASSERT_TRUE(program.load(good.data(), static_cast<std::uint32_t>(good.size())));
        c.spoil(b);
        std::vector<std::uint8_t> bad = b.bytes();
        EXPECT_FALSE(program.load(bad.data(), static_cast<std::uint32_t>(bad.size())));
        EXPECT_EQ(program.functionCount(), 0u);
    }
}

TEST(VXLScenarioProgram, RejectsATextWithoutItsNul)
{
    ProgramBuilder b;
    b.op(16);
    b.functions.push_back({"main", 0, 0, 0, 0});
    std::vector<std::uint8_t> bytes = b.bytes();
    // The program name "test" is at offset 2 (length 5) and its NUL at 10.
    ASSERT_EQ(bytes[10], 0);
    bytes[10] = 'x';
    CVXLScenarioProgram program;
    EXPECT_FALSE(program.load(bytes.data(), static_cast<std::uint32_t>(bytes.size())));
}

struct NoHost : CVXLInterpreterHost {
    int callBuiltin(std::uint32_t) override { return 1; }
    void releaseScreenJob() override { }
    void returnedIntoScreenFunction() override { }
    void unwindScreenJobs() override { }
};

TEST(VXLScenarioProgram, ShippedStartupSetsTheFiveTexts)
{
    CVXLScenarioProgram program;
    ASSERT_TRUE(program.load(kMasterP2, kMasterP2Size));
    NoHost host;
    CVXLInterpreter interpreter(&host);
    interpreter.setProgram(&program);
    interpreter.reset();
    ASSERT_TRUE(interpreter.call(0));
    for (int i = 0; i < 10 && interpreter.runSlice() != CVXLInterpreter::kSliceStopped; ++i) { }
    EXPECT_EQ(interpreter.completion(), kCompletionReturned);
    const char* const expected[] = {"__vxl_album_sendto_recipients", "__vxl_sendto_recipients",
        "__vxl_print_by_mail", "__vxl_prints_at_retail", "MY-UPLOADS-MAGIC-ALBUM-ID"};
    for (int i = 0; i < 5; ++i)
        EXPECT_STREQ(interpreter.global(static_cast<std::uint32_t>(i + 2)).toString().c_str(), expected[i]);
    EXPECT_EQ(interpreter.global(0).kind(), CVXLVariant::kEmpty);
}

} // namespace
