#pragma once

#include <string>

// The engine log: what the engine refuses or repairs (a damaged file, an
// unanswered request, dropped input), one line each, appended to log/engine.log
// in the device root. The levels are the engine's own numbers.
enum class CVXLLogLevel : int {
    kInfo = 2,
    kFailure = 4,
    kAssertion = 5,
};

class CVXLLog {
public:
    static constexpr const char* kFileName = "engine.log";

    // printf-style message; file and line name the code that logs.
    static void write(CVXLLogLevel level, const char* file, int line, const char* format, ...)
        __attribute__((format(printf, 4, 5)));
    // Host path of the log of the current device root.
    static std::string path();
    // Pushes what was written to the file (failures are flushed at once).
    static void flush();
};

#define VXL_LOG_INFO(...) CVXLLog::write(CVXLLogLevel::kInfo, __FILE__, __LINE__, __VA_ARGS__)
#define VXL_LOG_FAILURE(...) CVXLLog::write(CVXLLogLevel::kFailure, __FILE__, __LINE__, __VA_ARGS__)
#define VXL_LOG_ASSERTION(...) CVXLLog::write(CVXLLogLevel::kAssertion, __FILE__, __LINE__, __VA_ARGS__)
