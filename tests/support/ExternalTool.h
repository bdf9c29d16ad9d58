#pragma once

#include <gtest/gtest.h>

#include <string>

// Outside programs the tests lean on as peers or oracles (squid, tshark),
// and the one rule for all of them: a tool that is not installed skips the
// test, except under CI=true, where it fails; a tool that is installed but
// does not run fails everywhere, so a broken oracle never passes as absent.
struct ExternalTool {
    const char* name;
    // An absolute path, or a program name looked up on PATH.
    const char* program;
    // Another file the tool needs to work (squid's password helper), or "".
    const char* companion;
    // Arguments of a short run that must exit 0 when the tool works.
    const char* probe;
};

const ExternalTool& testToolSquid();
const ExternalTool& testToolTshark();
const ExternalTool& testToolTmux();
// ImageMagick's convert, identify, import and compare; pngcheck; the X tools.
const ExternalTool& testToolConvert();
const ExternalTool& testToolIdentify();
const ExternalTool& testToolImport();
const ExternalTool& testToolCompare();
const ExternalTool& testToolPngcheck();
// jpegtran (libjpeg-turbo-progs) rewrites JPEGs as progressive ones.
const ExternalTool& testToolJpegtran();
const ExternalTool& testToolXvfbRun();
const ExternalTool& testToolXdotool();
const ExternalTool& testToolXmllint();
// sox reads the voice recorder's WAV files.
const ExternalTool& testToolSox();

enum class ToolVerdict { Ready, Skip, Fail };

struct ToolCheck {
    ToolVerdict verdict = ToolVerdict::Fail;
    std::string message;
    std::string path; // where the program was found
};

// The verdict for a tool with the given PATH and CI values (null when unset).
ToolCheck testCheckTool(const ExternalTool& tool, const char* pathVariable, const char* ciVariable);
// The same with this process's environment, probed once per tool.
const ToolCheck& testCheckTool(const ExternalTool& tool);

// In a test body or SetUp: goes on only when the tool works; otherwise skips
// or fails the test as testCheckTool decides, and returns.
#define TESSEL_REQUIRE_TOOL(tool)                                                                            \
    do {                                                                                                     \
        const ToolCheck& toolCheck_ = testCheckTool(tool);                                                   \
        if (toolCheck_.verdict == ToolVerdict::Skip)                                                         \
            GTEST_SKIP() << toolCheck_.message;                                                              \
        if (toolCheck_.verdict == ToolVerdict::Fail)                                                         \
            FAIL() << toolCheck_.message;                                                                    \
    } while (0)
