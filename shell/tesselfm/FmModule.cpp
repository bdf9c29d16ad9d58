#include "shell/tesselfm/FmModule.h"

#include "platform/kernel/DeviceLog.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace tessel::fm {

namespace {

std::atomic<std::int32_t> gObjects {0};
std::atomic<std::int32_t> gLocks {0};

std::string format(const char* text, va_list args)
{
    char line[1024];
    std::vsnprintf(line, sizeof line, text, args);
    std::string out = line;
    // The phone's lines carry their own line ends; the log adds one.
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
        out.pop_back();
    return out;
}

} // namespace

void moduleObjectCreated()
{
    gObjects.fetch_add(1);
}

void moduleObjectDestroyed()
{
    gObjects.fetch_sub(1);
}

void moduleLock(bool lock)
{
    gLocks.fetch_add(lock ? 1 : -1);
}

bool moduleCanUnload()
{
    return gLocks.load() == 0 && gObjects.load() == 0;
}

void fmLog(const char* text, ...)
{
    va_list args;
    va_start(args, text);
    const std::string line = format(text, args);
    va_end(args);
    kernel::appendDeviceLog("tesselfm", line);
}

void fmTrace(const char* text, ...)
{
    static const bool enabled = std::getenv("TESSEL_FM_TRACE") != nullptr;
    if (!enabled)
        return;
    va_list args;
    va_start(args, text);
    const std::string line = format(text, args);
    va_end(args);
    std::fprintf(stderr, "tesselfm: %s\n", line.c_str());
}

} // namespace tessel::fm
