#include "platform/phone/CallLog.h"

#include "platform/kernel/DeviceLog.h"
#include "platform/kernel/DeviceRoot.h"
#include "platform/kernel/TextCodec.h"

#include <fstream>

namespace tessel::phone {

bool CallLog::open()
{
    entries_.clear();
    position_ = 0;
    std::ifstream file(kernel::deviceRoot() + "/calllog.txt");
    if (!file.is_open())
        return true;
    std::string line;
    for (std::size_t number = 1; std::getline(file, line) && entries_.size() < kMaxCallLogEntries; ++number) {
        const std::string text = kernel::trimBlanks(line);
        if (text.empty() || text[0] == '#')
            continue;
        const std::size_t tab = line.find('\t');
        CallLogEntry entry;
        entry.number = kernel::trimBlanks(line.substr(0, tab));
        if (tab != std::string::npos)
            entry.name = kernel::trimBlanks(line.substr(tab + 1));
        if (entry.number.empty()) {
            kernel::appendDeviceLog(
                "phone", "calllog.txt line " + std::to_string(number) + ": no number; skipped");
            continue;
        }
        entries_.push_back(std::move(entry));
    }
    return true;
}

bool CallLog::seek(std::size_t index)
{
    if (index >= entries_.size())
        return false;
    position_ = index;
    return true;
}

bool CallLog::next(CallLogEntry* entry)
{
    if (position_ >= entries_.size())
        return false;
    *entry = entries_[position_++];
    return true;
}

} // namespace tessel::phone
