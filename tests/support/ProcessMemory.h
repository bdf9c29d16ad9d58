#pragma once

#include <fstream>
#include <string>

// A process's memory as /proc/PROCESS/status tells it ("self" or a pid),
// in kB; -1 when the field cannot be read.
inline long testStatusKilobytesOf(const std::string& process, const char* field)
{
    std::ifstream status("/proc/" + process + "/status");
    const std::string prefix = std::string(field) + ":";
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(prefix, 0) == 0)
            return std::stol(line.substr(prefix.size()));
    }
    return -1;
}

// This process's.
inline long testStatusKilobytes(const char* field)
{
    return testStatusKilobytesOf("self", field);
}

// Resident now (VmRSS).
inline long testResidentKilobytes()
{
    return testStatusKilobytes("VmRSS");
}

// The resident high-water mark (VmHWM); testResetHighWater starts it again
// from what is resident now.
inline long testHighWaterKilobytes()
{
    return testStatusKilobytes("VmHWM");
}

inline bool testResetHighWater()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return static_cast<bool>(clear);
}
