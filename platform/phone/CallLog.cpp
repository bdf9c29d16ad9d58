#include "platform/phone/CallLog.h"

#include "platform/kernel/DeviceLog.h"
#include "platform/kernel/DeviceRoot.h"

#include <fstream>

namespace tessel::phone {

namespace {

std::string trim(const std::string& text)
{
    const char* blanks = " \t\r";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

} // namespace

bool CallLog::open()
{
    entries_.clear();
    position_ = 0;
    std::ifstream file(kernel::deviceRoot() + "/calllog.txt");
    if (!file.is_open())
        return true;
    std::string line;
    for (std::size_t number = 1; std::getline(file, line) && entries_.size() < kMaxCallLogEntries; ++number) {
        if (trim(line).empty() || trim(line)[0] == '#')
            continue;
        const std::size_t tab = line.find('\t');
        CallLogEntry entry;
        entry.number = trim(line.substr(0, tab));
        if (tab != std::string::npos)
            entry.name = trim(line.substr(tab + 1));
        if (entry.number.empty()) {
            kernel::appendDeviceLog("phone", "calllog.txt line " + std::to_string(number) + ": no number; skipped");
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
