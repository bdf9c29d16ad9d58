#include "ui/WinTSBase.h"

#include "ui/WinTSRegistry.h"

#include <atomic>
#include <mutex>

namespace {

constexpr std::uint32_t kDefaultTraceLevel = 4;
std::once_flag gTraceLevelRead;
std::atomic<std::uint32_t> gTraceLevel {kDefaultTraceLevel};

} // namespace

CWinTSBase::CWinTSBase(const std::u16string& name)
{
    for (char16_t c : name)
        name_.push_back(c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c);
    OpenProductKey();
    std::call_once(gTraceLevelRead, [] {
        std::uint32_t level = kDefaultTraceLevel;
        registryReadDword(u"Debug", u"level", &level, kDefaultTraceLevel);
        gTraceLevel = level;
    });
}

std::uint32_t CWinTSBase::traceLevel()
{
    return gTraceLevel;
}
