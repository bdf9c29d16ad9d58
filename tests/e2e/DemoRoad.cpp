#include "tests/e2e/DemoRoad.h"

#include "tests/support/ExternalTool.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <thread>

namespace {

using namespace std::chrono_literals;

constexpr const char* kTessel = TESSEL_BINARY_DIR "/bin/tessel";

std::string lastSnapshot(const std::string& folder)
{
    std::string newest;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".png") == 0)
                newest = std::max(newest, name);
        }
        ::closedir(dir);
    }
    return newest;
}

} // namespace

DemoRoad::DemoRoad(const std::string& messageKind, const std::string& messageId)
{
    if (!squid_.start(kNai)) {
        error_ = "squid: " + squid_.error();
        return;
    }
    root_.makeFolder("peers");
    std::vector<std::string> relay {"--save", root_.hostPath("peers/relay"), "--lifetime", "1e9"};
    if (!messageKind.empty()) {
        const TestCommandResult made
            = testRunCommand(testPython() + " " TESSEL_SOURCE_DIR "/tests/peers/mms_message.py " + messageKind
                + " '" + relayMessage() + "' --subject 'Road trip' 2>&1");
        if (made.status != 0) {
            error_ = "mms_message.py: " + made.output;
            return;
        }
        relay.insert(relay.end(), {"--body", messageId, relayMessage()});
    }
    relay_ = testStartPythonPeer("mms_relay.py", relay, root_.hostPath("peers/relay.out"), &relayPort_);
    service_ = testStartPythonPeer("vrax_server.py", {"--demo", root_.hostPath("peers/vrax.log")},
        root_.hostPath("peers/vrax.out"), &servicePort_);
    if (relay_ < 0 || service_ < 0) {
        error_
            = "a peer did not start: " + root_.readFile("peers/relay.out") + root_.readFile("peers/vrax.out");
        return;
    }
    pushPort_ = testFreePort();
    const std::string proxy = "http://<NAI>:" + std::string(SquidProxy::kPassword)
        + "@127.0.0.1:" + std::to_string(squid_.port()) + "/";
    const TestCommandResult made = testRunCommand(testPython() + " " TESSEL_SOURCE_DIR "/tools/demo_root.py '"
        + root_.path() + "' " + kNai + " " + std::to_string(relayPort_) + " " + std::to_string(servicePort_)
        + " " + std::to_string(pushPort_) + " '" + proxy
        + "' " TESSEL_BINARY_DIR "/bin " TESSEL_SOURCE_DIR " 2>&1");
    if (made.status != 0)
        error_ = "demo_root.py: " + made.output;
    root_.makeFolder("snapshots");
}

DemoRoad::~DemoRoad()
{
    tmux_.reset();
    for (const pid_t pid : programs())
        testStopUnrelatedProcess(pid, 5000);
    if (service_ > 0)
        testStopProcess(service_, 5000);
    if (relay_ > 0)
        testStopProcess(relay_, 5000);
}

void DemoRoad::start()
{
    tmux_.reset();
    ::unlink(root_.hostPath("exit-status").c_str());
    tmux_
        = std::make_unique<TmuxSession>(root_, kTessel, "--snapshots '" + root_.hostPath("snapshots") + "'");
}

void DemoRoad::startByLink()
{
    tmux_.reset();
    ::unlink(root_.hostPath("exit-status").c_str());
    tmux_ = std::make_unique<TmuxSession>(root_, kTessel, "--snapshots '" + root_.hostPath("snapshots") + "'",
        "demo", TmuxSession::Start::ByScript);
    const std::string link = root_.hostPath("windows/tessel.exe");
    ::unlink(link.c_str());
    root_.writeFile("windows/tessel.exe", "#!/bin/sh\nexec sh '" + tmux_->startScript() + "'\n");
    ::chmod(link.c_str(), 0755);
}

void DemoRoad::keys(const std::string& keys) const
{
    if (tmux_)
        tmux_->keys(keys);
}

bool DemoRoad::step(const std::vector<std::string>& texts, std::chrono::seconds bound)
{
    if (!tmux_) {
        ADD_FAILURE() << "no program was started";
        return false;
    }
    return step(*tmux_, texts, bound);
}

bool DemoRoad::step(
    const TmuxSession& pane, const std::vector<std::string>& texts, std::chrono::seconds bound)
{
    auto holds = [&] {
        screen_ = pane.screen();
        return std::all_of(texts.begin(), texts.end(),
            [&](const std::string& text) { return screen_.find(text) != std::string::npos; });
    };
    std::string what = "the screen showing";
    for (const std::string& text : texts)
        what += " \"" + text + "\"";
    return until(holds, what, bound);
}

bool DemoRoad::until(const std::function<bool()>& done, const std::string& what, std::chrono::seconds bound)
{
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            ADD_FAILURE() << "no " << what << " within " << bound.count() << " s\n" << report();
            return false;
        }
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

std::string DemoRoad::exitStatus()
{
    std::string status;
    until([&] { return !(status = root_.readFile("exit-status")).empty(); }, "end of tessel");
    until([&] { return programs().empty(); }, "end of every tessel and launcher");
    tmux_.reset();
    return status;
}

std::string DemoRoad::close()
{
    if (tmux_)
        screen_ = tmux_->screen();
    keys("C-c");
    return exitStatus();
}

std::vector<std::string> DemoRoad::serviceLog() const
{
    return testFileLines(root_.hostPath("peers/vrax.log"));
}

std::vector<std::string> DemoRoad::relayLog() const
{
    return testFileLines(root_.hostPath("peers/relay/requests.log"));
}

std::vector<std::string> DemoRoad::proxyLog() const
{
    return testLines(squid_.accessLog());
}

std::vector<std::string> DemoRoad::proxiedServicePosts() const
{
    return linesWith(proxyLog(),
        {"POST http://127.0.0.1:" + std::to_string(servicePort_) + "/VRAX_3_4 " + kNai + " ", "/200 "});
}

std::vector<std::pair<std::string, std::string>> DemoRoad::relayParts() const
{
    const std::string listed = testRunCommand(testPython()
        + " -c \"import email, sys\nfor p in email.message_from_binary_file(open(sys.argv[1], "
          "'rb')).walk():\n"
          "    if not p.is_multipart(): print((p['Content-ID'] or '').strip('<>') or '-', "
          "p.get_payload(decode=True).hex())\" '"
        + relayMessage() + "'")
                                   .output;
    std::vector<std::pair<std::string, std::string>> parts;
    for (const std::string& line : testLines(listed)) {
        const std::size_t space = line.find(' ');
        if (space != std::string::npos)
            parts.emplace_back(
                line.substr(0, space) == "-" ? "" : line.substr(0, space), line.substr(space + 1));
    }
    return parts;
}

std::string DemoRoad::peerScript(const std::string& arguments) const
{
    return testRunCommand(testPython() + " " TESSEL_SOURCE_DIR "/tests/peers/" + arguments + " 2>&1").output;
}

std::vector<pid_t> DemoRoad::programs() const
{
    return testProgramsOnRoot(root_.path());
}

std::string DemoRoad::newestSnapshot() const
{
    const std::string name = lastSnapshot(root_.hostPath("snapshots"));
    return name.empty() ? "" : root_.hostPath("snapshots/" + name);
}

std::vector<std::string> DemoRoad::linesWith(
    const std::vector<std::string>& lines, const std::vector<std::string>& texts)
{
    std::vector<std::string> found;
    for (const std::string& line : lines) {
        if (std::all_of(texts.begin(), texts.end(),
                [&](const std::string& text) { return line.find(text) != std::string::npos; }))
            found.push_back(line);
    }
    return found;
}

std::string DemoRoad::report() const
{
    std::string text = "--- screen\n" + screen_
        + "--- newest snapshot: " + lastSnapshot(root_.hostPath("snapshots")) + "\n";
    for (const char* log :
        {"peers/vrax.log", "peers/relay/requests.log", "peers/vrax.out", "peers/relay.out", "log/ui.log",
            "log/engine.log", "log/launch.log", "log/tesselfm.log", "log/shellexec.log", "log/msgbox.log"})
        text += std::string("--- ") + log + "\n" + root_.readFile(log);
    text += "--- squid access log\n" + squid_.accessLog();
    return text;
}
