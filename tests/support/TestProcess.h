#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

// Helpers for tests that run peers as child processes on 127.0.0.1.

// A TCP port on 127.0.0.1 that was free a moment ago.
std::uint16_t testFreePort();

// Whether something accepts connections on 127.0.0.1:port.
bool testPortAccepts(std::uint16_t port);

// Starts argv[0] (a path, no shell) in its own process group, with stdout and
// stderr appended to outputPath; -1 when it cannot be started.
pid_t testSpawn(const std::vector<std::string>& argv, const std::string& outputPath);

// SIGTERM to the child's process group, then SIGKILL when it has not ended
// within timeoutMs; reaps the child.
void testStopProcess(pid_t pid, int timeoutMs);

// Waits (bounded) for a child to end and reaps it; its exit status (128 + the
// signal when a signal ended it), or -1 when it has not ended in time.
int testAwaitExit(pid_t pid, std::chrono::milliseconds bound);

// A process that is not our child (another program started it): SIGTERM,
// then SIGKILL when it is still there after timeoutMs.
void testStopUnrelatedProcess(pid_t pid, int timeoutMs);

// Field `field` of /proc/PID/stat as proc(5) counts them (3 the state, 4
// the parent, 6 the session); "" when the process is gone.
std::string testProcStatField(pid_t pid, int field);

// The live tessel and launcher processes of the build whose environment
// names the device root `root` (TESSEL_ROOT).
std::vector<pid_t> testProgramsOnRoot(const std::string& root);

// This process's children that have ended and were never waited for.
int testZombieChildren();

// Starts tests/peers/<script> with its arguments under Python
// (TESSEL_TEST_PYTHON, else python3), output appended to outputPath, and
// waits (bounded) for the "PORT n" line it prints once it listens. The
// child's pid with *port set; -1 when it cannot be started, and -1 with the
// child stopped when it never tells its port.
pid_t testStartPythonPeer(const std::string& script, const std::vector<std::string>& arguments,
    const std::string& outputPath, std::uint16_t* port);

// The Python interpreter the tests use: TESSEL_TEST_PYTHON, else python3.
std::string testPython();

// Runs a shell command line and collects its standard output; status is its
// exit status, -1 when it could not be run or did not exit.
struct TestCommandResult {
    int status = -1;
    std::string output;
};
TestCommandResult testRunCommand(const std::string& command);

// Bytes as lower-case hex text, the way tests hand raw bytes to an oracle script.
std::string testHex(const std::string& bytes);

// The output split into lines, without their line ends.
std::vector<std::string> testLines(const std::string& output);

// The lines of a file (none when it cannot be read).
std::vector<std::string> testFileLines(const std::string& path);

// The sha256 of a file as sha256sum prints it (64 hex digits), "" when it fails.
std::string testSha256OfFile(const std::string& path);

// "http://127.0.0.1:port" followed by path.
std::string testLoopbackUrl(std::uint16_t port, const std::string& path);
