#include "ui/WinTSLog.h"

#include "platform/kernel/DeviceLog.h"

#include <cstdio>

void winTSLog(int level, std::string_view text)
{
    if (level < kLogInfo)
        return;
    std::string line = std::to_string(level);
    line += ' ';
    line += text;
    tessel::kernel::appendDeviceLog("ui", line);
}

void winTSAssert(std::string_view text)
{
    std::string line = "Assert: ";
    line += text;
    winTSLog(kLogAssert, line);
}

std::string TraceEvent(
    int level, int category, std::int32_t value1, std::int32_t value2, std::string_view text)
{
    static constexpr const char* kNames[] = {"RUN", "SUSPEND", "RESUME", "ACTIVITY"};
    const char* name = category >= 0 && category < 4 ? kNames[category] : "?";
    char head[96];
    std::snprintf(head, sizeof head, "Event:%s(%d)/%d/%d : ", name, category, static_cast<int>(value1),
        static_cast<int>(value2));
    std::string line = head;
    line += text;
    winTSLog(level, line);
    return line;
}
