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

    InboxFiles inbox {root};
};
