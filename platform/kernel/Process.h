#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Starting another program of the phone. The program is named by a phone
// path ("\windows\tessel.exe") and gets its arguments as a vector, never
// through a shell. The child sees the same device root.
namespace tessel::kernel {

// The started process's id, or -1 when the path does not map to an
// executable file or the process cannot be started. args do not include the
// program itself (argv[0] is the program's phone path).
int startProcess(const std::string& programPhonePath, const std::vector<std::string>& args);

// The same, started on its own as the phone's shell starts a program: the
// caller keeps no child to wait for (no zombie), the program inherits none
// of the caller's descriptors (its standard input and outputs are
// /dev/null) and runs in a session of its own.
int startDetachedProcess(const std::string& programPhonePath, const std::vector<std::string>& args);

enum class ProcessWait { Exited, TimedOut, Failed };

// Waits at most timeoutMs (real time; kWaitForever waits without end) for a
// process this one started; on Exited, *exitCode holds its exit status (128
// plus the signal number when a signal ended it).
ProcessWait waitProcess(int pid, std::uint32_t timeoutMs, int* exitCode);

} // namespace tessel::kernel
