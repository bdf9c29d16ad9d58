#pragma once

#include "tests/shell/LaunchRig.h"
#include "tests/shell/tesselfm/InboxFiles.h"

#include <string>
#include <vector>

// The launch rig with the built tessel-shellhost run on its device root and
// the SMS Inbox's files at hand.
struct ShellHostRig : LaunchRig {
    static constexpr const char* kHost = TESSEL_BINARY_DIR "/bin/tessel-shellhost";

    // Runs the host to its end; its standard output and status.
    TestCommandResult host(const std::vector<std::string>& words) const
    {
        std::string command = kHost;
        for (const std::string& word : words)
            command += " " + InboxFiles::quoted(word);
        return testRunCommand(command + " 2>>" + InboxFiles::quoted(root.hostPath("shellhost.err")));
    }

    // The host's messaging application, headless, once other processes see
    // its window; -1 (with it stopped) when that does not happen in time.
    // Its output goes to inbox.out.
    pid_t startInbox() const
    {
        std::vector<std::string> argv = headless(kHost);
        argv.push_back("inbox");
        const pid_t pid = testSpawn(argv, root.hostPath("inbox.out"));
        if (pid <= 0)
            return -1;
        if (!awaitInFile("run/win/" + std::to_string(pid), "Inbox.MainWnd")) {
            testStopProcess(pid, 5000);
            return -1;
        }
        return pid;
    }

    InboxFiles inbox {root};
};
