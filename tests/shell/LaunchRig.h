#pragma once

#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"

#include <dirent.h>
#include <signal.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

// The launch hand-off across real processes on a temporary device root:
// the built launcher, the built tessel program linked in as
// "\windows\tessel.exe" (or tests/tools' uiprobe standing in for it), and
// the registry file read back with tests/peers/registry_reader.py.
struct LaunchRig {
    LaunchRig() { root.writeDeviceConf("card.present = 0\n"); }
    ~LaunchRig()
    {
        // Whatever the launches started runs on its own: end it by its id.
        for (pid_t pid : programs())
            testStopUnrelatedProcess(pid, 30000);
        if (probe > 0)
            testStopProcess(probe, 5000);
    }

    // No display: the started program runs headless.
    static std::vector<std::string> headless(const std::string& program)
    {
        return {"/usr/bin/env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", program};
    }

    pid_t startLauncher(const std::vector<std::string>& words, const std::string& output = "launcher.out")
    {
        std::vector<std::string> argv = headless(TESSEL_BINARY_DIR "/bin/launcher");
        argv.insert(argv.end(), words.begin(), words.end());
        return testSpawn(argv, root.hostPath(output));
    }

    // Runs the launcher to its end; its exit status and how long it took.
    int launch(const std::vector<std::string>& words, std::chrono::milliseconds* took = nullptr,
        std::chrono::milliseconds bound = std::chrono::seconds(60))
    {
        const auto began = std::chrono::steady_clock::now();
        const pid_t pid = startLauncher(words);
        if (pid <= 0)
            return -1;
        const int status = testAwaitExit(pid, bound);
        if (status == -1)
            testStopProcess(pid, 2000);
        if (took)
            *took = std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now() - began);
        return status;
    }

    // The live processes that show the program's window "Dialog"/"Tessel".
    std::vector<pid_t> programs() const
    {
        std::vector<pid_t> found;
        DIR* dir = ::opendir(root.hostPath("run/win").c_str());
        if (!dir)
            return found;
        while (dirent* entry = ::readdir(dir)) {
            const pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
            if (pid <= 0 || (::kill(pid, 0) != 0 && errno == ESRCH))
                continue;
            if (root.readFile(std::string("run/win/") + entry->d_name).find("Dialog\tTessel")
                != std::string::npos)
                found.push_back(pid);
        }
        ::closedir(dir);
        return found;
    }

    bool awaitProgram(std::chrono::milliseconds bound = std::chrono::seconds(30)) const
    {
        const auto until = std::chrono::steady_clock::now() + bound;
        while (programs().empty()) {
            if (std::chrono::steady_clock::now() > until)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }

    // Waits (bounded) until the file holds `count` times the text.
    bool awaitInFile(const std::string& file, const std::string& text, int count = 1,
        std::chrono::milliseconds bound = std::chrono::seconds(30)) const
    {
        const auto until = std::chrono::steady_clock::now() + bound;
        while (occurrences(root.readFile(file), text) < count) {
            if (std::chrono::steady_clock::now() > until)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }

    bool awaitFile(const std::string& file, std::chrono::milliseconds bound = std::chrono::seconds(30)) const
    {
        const auto until = std::chrono::steady_clock::now() + bound;
        while (!root.exists(file)) {
            if (std::chrono::steady_clock::now() > until)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }

    static int occurrences(const std::string& text, const std::string& what)
    {
        int n = 0;
        for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++n;
        return n;
    }

    // The tessel program runs headless, started here.
    pid_t startProgram()
    {
        program = testSpawn(headless(TESSEL_BINARY_DIR "/bin/tessel"), root.hostPath("tessel.out"));
        return program;
    }

    // tests/tools' uiprobe shows the program's window and logs what it gets.
    pid_t startProbe()
    {
        probe = testSpawn({TESSEL_BINARY_DIR "/bin/uiprobe", "show"}, root.hostPath("uiprobe.out"));
        return probe;
    }

    // The values of section Compose as registry_reader.py prints them
    // (NAME<TAB>KIND<TAB>DATA), in the file's order.
    std::vector<std::string> composeValues() const
    {
        const TestCommandResult read
            = testRunCommand(testPython() + " " TESSEL_SOURCE_DIR "/tests/peers/registry_reader.py '"
                + root.hostPath("registry/HKEY_CURRENT_USER.reg")
                + "' 'Software\\Halvard\\Tessel\\Compose' 2>&1");
        std::vector<std::string> values;
        for (const std::string& line : testLines(read.output))
            values.push_back(line.substr(line.find('\t') + 1));
        return values;
    }

    TempDeviceRoot root;
    pid_t program = -1;
    pid_t probe = -1;
};
