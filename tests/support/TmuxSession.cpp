#include "tests/support/TmuxSession.h"

#include "tests/support/ExternalTool.h"
#include "tests/support/TempDeviceRoot.h"

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

using namespace std::chrono_literals;

TmuxSession::TmuxSession(const TempDeviceRoot& root, const std::string& program, const std::string& options,
    const std::string& name, Start start)
    : root_(root)
    , name_(name)
    , statusFile_(name == "demo" ? "exit-status" : "exit-status-" + name)
    , tmux_(testCheckTool(testToolTmux()).path + " -L tessel-ui-" + std::to_string(::getpid())
          + (name == "demo" ? "" : "-" + name))
{
    root.writeFile("run-" + name + ".sh",
        "trap '' INT HUP\n\"$1\" --tty " + options + "\necho $? > \"$TESSEL_ROOT/" + statusFile_ + "\"\n");
    root.writeFile("start-" + name + ".sh",
        tmux_ + " new-session -d -s " + name + " -x 40 -y 14 -e TESSEL_ROOT=" + root.path() + " 'sh "
            + root.hostPath("run-" + name + ".sh") + " " + program + "'\n");
    if (start == Start::Now)
        testRunCommand("sh '" + startScript() + "'");
}

std::string TmuxSession::startScript() const
{
    return root_.hostPath("start-" + name_ + ".sh");
}

TmuxSession::~TmuxSession()
{
    // The server has often ended with its session already.
    testRunCommand(tmux_ + " kill-server 2>/dev/null");
}

TestCommandResult TmuxSession::run(const std::string& arguments) const
{
    return testRunCommand(tmux_ + " " + arguments);
}

void TmuxSession::keys(const std::string& keys) const
{
    run("send-keys -t " + name_ + " " + keys);
}

std::string TmuxSession::screen() const
{
    return run("capture-pane -p -t " + name_).output;
}

std::string TmuxSession::await(const std::string& text, bool atTop) const
{
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    std::string shown = screen();
    auto there = [&] { return atTop ? shown.rfind(text, 0) == 0 : shown.find(text) != std::string::npos; };
    while (!there() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(20ms);
        shown = screen();
    }
    return shown;
}

pid_t TmuxSession::programPid() const
{
    const std::string shell = run("display -p -t " + name_ + " '#{pane_pid}'").output;
    const std::string children
        = testRunCommand("cat /proc/" + shell.substr(0, shell.find('\n')) + "/task/*/children").output;
    return static_cast<pid_t>(std::atoi(children.c_str()));
}

std::string TmuxSession::exitStatus() const
{
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (root_.readFile(statusFile_).empty() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(20ms);
    return root_.readFile(statusFile_);
}
