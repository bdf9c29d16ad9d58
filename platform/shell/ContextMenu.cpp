#include "platform/shell/ContextMenu.h"

#include <mutex>

namespace tessel::shell {

namespace {

constexpr std::uint32_t kFirstRegisteredFormat = 0xC000;

} // namespace

std::uint32_t registerClipboardFormat(const std::u16string& name)
{
    static std::mutex lock;
    static std::vector<std::u16string> names;
    std::lock_guard<std::mutex> hold(lock);
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == name)
            return kFirstRegisteredFormat + static_cast<std::uint32_t>(i);
    }
    names.push_back(name);
    return kFirstRegisteredFormat + static_cast<std::uint32_t>(names.size() - 1);
}

} // namespace tessel::shell
