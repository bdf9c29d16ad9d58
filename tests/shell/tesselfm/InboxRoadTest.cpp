#include "tests/shell/tesselfm/ShellHostRig.h"
#include "tests/support/ExternalTool.h"
#include "tests/support/TmuxSession.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A person at the phone's Inbox in the terminal: the service's text message
// arrives through the rule host, shows in the Inbox as a Tessel notice and
// opens in the library's read form, whose button opens the link.
TEST(InboxRoad, ANoticeSentAsATextMessageAppearsInTheInboxAndOpensInTheReadForm)
{
    TESSEL_REQUIRE_TOOL(testToolTmux());
    ShellHostRig rig;
    TmuxSession tmux(rig.root, ShellHostRig::kHost, "inbox");
    tmux.await("== Inbox ==");
    const TestCommandResult sms = rig.host({"sms", "+14255550199",
        "Anna sent you a Tessel http://t.example/m/9 Click Go_frsthgl to reply STOP"});
    EXPECT_EQ(sms.output, "handled 2\n") << rig.root.readFile("shellhost.err");
    // The row as far as the 40 columns show it.
    const std::string listed = tmux.await("> * Anna sent you a Tessel http://t.ex");
    EXPECT_NE(listed.find("> * Anna sent you a Tessel http://t.ex"), std::string::npos) << listed;
    EXPECT_EQ(listed.find("Click Go"), std::string::npos) << "the subject ends before it\n" << listed;

    tmux.keys("Enter");
    const std::string read = tmux.await("You Have New Tessel!");
    EXPECT_NE(read.find("Click view to see it now"), std::string::npos) << read;
    EXPECT_NE(read.find("> [ View Tessel ]"), std::string::npos) << read;
    tmux.keys("Enter");
    EXPECT_TRUE(rig.awaitInFile("log/shellexec.log", "parameters=http://t.example/m/9 verb="))
        << rig.root.readFile("log/shellexec.log");

    tmux.keys("Escape");
    tmux.await("== Inbox ==", true);
    tmux.keys("C-c");
    EXPECT_EQ(tmux.exitStatus(), "0\n");
}

} // namespace
