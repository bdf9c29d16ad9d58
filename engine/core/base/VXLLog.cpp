#include "engine/core/base/VXLLog.h"

#include "platform/kernel/DeviceRoot.h"

#include <spdlog/sinks/basic_file_sink.h>
#include <spdlog/spdlog.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

namespace {

std::mutex gMutex;
std::shared_ptr<spdlog::logger> gLogger;
std::string gLoggerPath;

const char* levelName(CVXLLogLevel level)
{
    switch (level) {
    case CVXLLogLevel::kInfo:
        return "info";
    case CVXLLogLevel::kFailure:
        return "failure";
    case CVXLLogLevel::kAssertion:
        return "assertion";
    }
    return "?";
}

const char* baseName(const char* file)
{
    const char* slash = file ? std::strrchr(file, '/') : nullptr;
    return slash ? slash + 1 : (file ? file : "");
}

// The logger of the current device root; tests change the root between cases,
// so the file is opened again when the root moves.
spdlog::logger* loggerLocked()
{
    std::string file = CVXLLog::path();
    if (gLogger && file == gLoggerPath)
        return gLogger.get();
    gLogger.reset();
    gLoggerPath = file;
    if (!tessel::kernel::makeHostFolders(tessel::kernel::deviceFolder("log")))
        return nullptr;
    try {
        auto sink = std::make_shared<spdlog::sinks::basic_file_sink_mt>(file);
        gLogger = std::make_shared<spdlog::logger>("engine", std::move(sink));
    } catch (const spdlog::spdlog_ex&) {
        // A log that cannot be opened must not stop the engine.
        return nullptr;
    }
    gLogger->set_pattern("%Y-%m-%d %H:%M:%S.%e %v");
    gLogger->flush_on(spdlog::level::err);
    return gLogger.get();
}

// Control bytes of a message (a peer's text may carry a line break) are
// written as \xNN, so that every record stays one line.
void escapeControls(std::string& message)
{
    std::string::size_type at = 0;
    while (at < message.size()) {
        const auto byte = static_cast<unsigned char>(message[at]);
        if (byte >= 0x20 && byte != 0x7F) {
            ++at;
            continue;
        }
        char escaped[5];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
        message.replace(at, 1, escaped);
        at += 4;
    }
}

} // namespace

std::string CVXLLog::path()
{
    return tessel::kernel::deviceFolder("log") + "/" + kFileName;
}

void CVXLLog::write(CVXLLogLevel level, const char* file, int line, const char* format, ...)
{
    char small[512];
    std::va_list args;
    va_start(args, format);
    std::va_list again;
    va_copy(again, args);
    int needed = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    std::string message;
    if (needed < 0) {
        message = format;
    } else if (static_cast<std::size_t>(needed) < sizeof small) {
        message.assign(small, static_cast<std::size_t>(needed));
    } else {
        std::vector<char> large(static_cast<std::size_t>(needed) + 1);
        std::vsnprintf(large.data(), large.size(), format, again);
        message.assign(large.data(), static_cast<std::size_t>(needed));
    }
    va_end(again);
    escapeControls(message);

    std::lock_guard<std::mutex> lock(gMutex);
    spdlog::logger* logger = loggerLocked();
    if (!logger)
        return;
    spdlog::level::level_enum sinkLevel
        = level == CVXLLogLevel::kInfo ? spdlog::level::info : spdlog::level::err;
    logger->log(sinkLevel, "{} {}:{} {}", levelName(level), baseName(file), line, message);
}

void CVXLLog::flush()
{
    std::lock_guard<std::mutex> lock(gMutex);
    if (gLogger)
        gLogger->flush();
}
