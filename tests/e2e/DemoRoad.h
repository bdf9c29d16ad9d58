#pragma once

#include "tests/support/SquidProxy.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TmuxSession.h"

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// One road through the real program as a person walks it: a fresh device
// root with the demo configuration of `make run` (tools/demo_root.py), the
// MMS relay and the service server of tests/peers (in its demo mode) and a
// squid as the carrier's proxy on 127.0.0.1, and `tessel --tty --snapshots`
// in tmux. Every wait is bounded by what the pane or a file says; a wait
// past its bound fails the test with the last screen and the peers' logs.
class DemoRoad {
public:
    static constexpr std::chrono::seconds kStepBound {60};
    static constexpr const char* kNai = "4255550100@nai.tessel.test";

    // With a message kind of tests/peers/mms_message.py, the relay serves
    // that message (written to relayMessage()) as the message `messageId`.
    explicit DemoRoad(const std::string& messageKind = "", const std::string& messageId = "");
    ~DemoRoad();
    DemoRoad(const DemoRoad&) = delete;
    DemoRoad& operator=(const DemoRoad&) = delete;

    // Whether the peers run; error() says why not.
    bool ready() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    const TempDeviceRoot& root() const { return root_; }

    // tessel in a fresh tmux session on the root (a program that ran before
    // must have ended).
    void start();
    // The phone's program link (\windows\tessel.exe) made to start tessel
    // in the road's tmux session, as start() would: a launcher that starts
    // the program shows it in the pane. The session is there once it has.
    void startByLink();
    void keys(const std::string& keys) const;
    // The pane once it holds every text (false past the bound, with a
    // failure that shows the pane and the logs). The pane is kept in screen().
    bool step(const std::vector<std::string>& texts, std::chrono::seconds bound = kStepBound);
    // The same for another program's pane on the root.
    bool step(const TmuxSession& pane, const std::vector<std::string>& texts,
        std::chrono::seconds bound = kStepBound);
    // Until `done` holds (false past the bound, with a failure naming `what`).
    bool until(
        const std::function<bool()>& done, const std::string& what, std::chrono::seconds bound = kStepBound);
    const std::string& screen() const { return screen_; }
    // Ctrl-C, then the program's exit status ("" when it did not end) once no
    // tessel or launcher runs on the root.
    std::string close();
    // The exit status of a program that ended by itself.
    std::string exitStatus();

    // The service server's log lines, the relay's request lines, squid's
    // access log lines.
    std::vector<std::string> serviceLog() const;
    std::vector<std::string> relayLog() const;
    std::vector<std::string> proxyLog() const;
    // squid's lines of the posts to the service server under the NAI that
    // ended with 200.
    std::vector<std::string> proxiedServicePosts() const;
    std::uint16_t servicePort() const { return servicePort_; }
    std::uint16_t relayPort() const { return relayPort_; }
    std::uint16_t pushPort() const { return pushPort_; }
    std::string relayMessage() const { return root_.hostPath("peers/message.eml"); }
    // The leaf parts of that message as Python's email package reads them,
    // in order: each one's Content-ID (without its angle brackets, "" when
    // it has none) and its bytes as hex.
    std::vector<std::pair<std::string, std::string>> relayParts() const;
    // A script of tests/peers run on its own; its output (stderr joined).
    std::string peerScript(const std::string& arguments) const;
    // The live tessel and launcher processes of this root.
    std::vector<pid_t> programs() const;
    // The host path of the newest PNG snapshot ("" when there is none).
    std::string newestSnapshot() const;
    // The last screen, the newest PNG snapshot's name and every log.
    std::string report() const;
    // The lines that hold every text.
    static std::vector<std::string> linesWith(
        const std::vector<std::string>& lines, const std::vector<std::string>& texts);

private:
    TempDeviceRoot root_;
    SquidProxy squid_;
    std::string error_;
    std::string screen_;
    pid_t service_ = -1;
    pid_t relay_ = -1;
    std::uint16_t servicePort_ = 0;
    std::uint16_t relayPort_ = 0;
    std::uint16_t pushPort_ = 0;
    std::unique_ptr<TmuxSession> tmux_;
};
