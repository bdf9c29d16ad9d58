#include "tests/support/TmuxSession.h"

#include "tests/support/ExternalTool.h"
#include "tests/support/TempDeviceRoot.h"

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

using namespace std::chrono_literals;

TmuxSession::TmuxSession(const TempDeviceRoot& root, const std::string& program, const std::string& options)
    : root_(root)
    , tmux_(testCheckTool(testToolTmux()).path + " -L tessel-ui-" + std::to_string(::getpid()))
{
    root.writeFile("run-demo.sh",
        "trap '' INT HUP\n\"$1\" --tty " + options + "\necho $? > \"$TESSEL_ROOT/exit-status\"\n");
    run("new-session -d -s demo -x 40 -y 14 -e TESSEL_ROOT=" + root.path() + " 'sh "
        + root.hostPath("run-demo.sh") + " " + program + "'");
}

TmuxSession::~TmuxSession()
{
    run("kill-server");
}

TestCommandResult TmuxSession::run(const std::string& arguments) const
{
    return testRunCommand(tmux_ + " " + arguments);
}

void TmuxSession::keys(const std::string& keys) const
{
    run("send-keys -t demo " + keys);
}

std::string TmuxSession::screen() const
{
    return run("capture-pane -p -t demo").output;
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
    const std::string shell = run("display -p -t demo '#{pane_pid}'").output;
    const std::string children
        = testRunCommand("cat /proc/" + shell.substr(0, shell.find('\n')) + "/task/*/children").output;
    return static_cast<pid_t>(std::atoi(children.c_str()));
}

std::string TmuxSession::exitStatus() const
{
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (root_.readFile("exit-status").empty() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(20ms);
    return root_.readFile("exit-status");
}
