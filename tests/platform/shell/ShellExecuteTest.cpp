#include "platform/shell/ShellExecute.h"
#include "platform/kernel/Process.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace tessel;
using namespace tessel::shell;

namespace {

// A program of the device that writes how it was called into marker.txt.
void installMarkerScript(const TempDeviceRoot& root, const char* relative)
{
    root.writeFile(relative, "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > \"$TESSEL_ROOT/marker.txt\"\n");
    ::chmod(root.hostPath(relative).c_str(), 0755);
}

} // namespace

TEST(ShellExecute, AProgramOfTheDeviceGetsItsParametersSplitAtBlanksWithoutAShell)
{
    TempDeviceRoot root;
    installMarkerScript(root, "Windows/marker.sh");
    ShellExecuteInfo info;
    info.mask = kSeeMaskNoCloseProcess;
    info.file = u"/windows/MARKER.sh";
    info.parameters = u"  first   $(touch\tpwned) ";
    info.show = kSwShow;
    ASSERT_TRUE(shellExecuteEx(&info));
    int exitCode = -1;
    ASSERT_EQ(kernel::waitProcess(info.process, 10'000, &exitCode), kernel::ProcessWait::Exited);
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(root.readFile("marker.txt"), "3\nfirst\n$(touch\npwned)\n");
    EXPECT_FALSE(root.exists("pwned")) << "no shell ran the parameters";
    EXPECT_EQ(testLines(root.readFile("log/shellexec.log")),
        (std::vector<std::string> {
            "file=\\windows\\MARKER.sh parameters=  first   $(touch\tpwned)  verb= show=5 -> started"}));
}

TEST(ShellExecute, EveryCallIsLoggedAndTheBrowserIsOnlyRecorded)
{
    TempDeviceRoot root;
    // Even a program standing where the browser would be is not started.
    installMarkerScript(root, "Windows/iexplore.exe");
    struct Case {
        const char16_t* file;
        const char16_t* parameters;
        std::uint32_t size;
        bool ok;
        const char* line;
    } cases[] = {
        {u"/Windows/iexplore.exe", u"file:///windows/tesselhelp.htm#CWinTSLayoutError", kShellExecuteInfoSize,
            true,
            "file=\\Windows\\iexplore.exe parameters=file:///windows/tesselhelp.htm#CWinTSLayoutError verb= "
            "show=5 -> browser, recorded"},
        {u"\\WINDOWS\\IEXPLORE.EXE", u"http://example.com/\nx", kShellExecuteInfoSize, true,
            "file=\\WINDOWS\\IEXPLORE.EXE parameters=http://example.com/\\nx verb= show=5 -> browser, "
            "recorded"},
        {u"\\Windows\\missing.exe", u"a", kShellExecuteInfoSize, false,
            "file=\\Windows\\missing.exe parameters=a verb= show=5 -> not started: no program of the device"},
        {u"\\..\\bin\\sh", u"-c true", kShellExecuteInfoSize, false,
            "file=\\..\\bin\\sh parameters=-c true verb= show=5 -> not started: no program of the device"},
        {u"/Windows/iexplore.exe", u"x", 56, false,
            "file=\\Windows\\iexplore.exe parameters=x verb= show=5 -> refused: record size 56"},
    };
    std::vector<std::string> expected;
    for (const Case& c : cases) {
        ShellExecuteInfo info;
        info.size = c.size;
        info.file = c.file;
        info.parameters = c.parameters;
        info.show = kSwShow;
        EXPECT_EQ(shellExecuteEx(&info), c.ok) << c.line;
        expected.push_back(c.line);
    }
    EXPECT_EQ(testLines(root.readFile("log/shellexec.log")), expected);
    EXPECT_FALSE(root.exists("marker.txt")) << "the browser was never started";
}
