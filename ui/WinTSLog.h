#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The user interface's log: levels 0 and 1 are traces, 2 information, 3
// warnings, 4 failures, 5 assertions (execution goes on after one). The sink
// keeps information and above as lines of log/ui.log in the device root, so
// what the user interface refuses or repairs can be read afterwards.
inline constexpr int kLogTrace = 1;
inline constexpr int kLogInfo = 2;
inline constexpr int kLogWarning = 3;
inline constexpr int kLogFailure = 4;
inline constexpr int kLogAssert = 5;

void winTSLog(int level, std::string_view text);
// An assertion: logs "Assert" with the text.
void winTSAssert(std::string_view text);

// Event trace categories.
inline constexpr int kTraceRun = 0;
inline constexpr int kTraceSuspend = 1;
inline constexpr int kTraceResume = 2;
inline constexpr int kTraceActivity = 3;

// "Event:%s(%d)/%d/%d : %s" with the category's name and number, the two
// values and the text; the line it logged.
std::string TraceEvent(
    int level, int category, std::int32_t value1, std::int32_t value2, std::string_view text);
