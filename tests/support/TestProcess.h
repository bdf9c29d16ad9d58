#pragma once

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
