#pragma once

#include "tests/support/TestProcess.h"

#include <sys/types.h>

#include <string>

class TempDeviceRoot;

// A program in the terminal, driven as a person at the keys: PROGRAM --tty
// OPTIONS in a detached tmux session of its own server, 40 by 14. A small
// shell script writes the program's exit status to the root (tmux may tell
// a pane dead before it has its status); the script itself ignores Ctrl-C
// and hang-ups. The server ends with the session. Sessions of other names
// (their own server, script and status file) run beside it on one root.
// Made with Start::ByScript the session is left to the script
// startScript() names, for another process to run, as the phone's program
// link does when a launcher starts the program.
class TmuxSession {
public:
    enum class Start { Now, ByScript };

    TmuxSession(const TempDeviceRoot& root, const std::string& program, const std::string& options = "",
        const std::string& name = "demo", Start start = Start::Now);
    ~TmuxSession();
    TmuxSession(const TmuxSession&) = delete;
    TmuxSession& operator=(const TmuxSession&) = delete;

    TestCommandResult run(const std::string& arguments) const;
    // tmux key names ("Down Enter", "C-c").
    void keys(const std::string& keys) const;
    std::string screen() const;
    // The screen once it holds text, or starts with it (bounded: the
    // program is another process).
    std::string await(const std::string& text, bool atTop = false) const;
    // The program's process: the only child of the pane's shell.
    pid_t programPid() const;
    // The program's exit status once it has ended ("" when it did not).
    std::string exitStatus() const;
    // The root's file the exit status goes to ("exit-status" for "demo").
    const std::string& statusFile() const { return statusFile_; }
    // The host path of the script that makes the session.
    std::string startScript() const;

private:
    const TempDeviceRoot& root_;
    std::string name_;
    std::string statusFile_;
    std::string tmux_;
};
