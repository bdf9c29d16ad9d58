#include "engine/messaging/premium/PremiumGroupList.h"

#include <cstring>

namespace {

// Byte order of two names.
int compareNames(const CVXLString& a, const CVXLString& b)
{
    const std::uint32_t n = a.length() < b.length() ? a.length() : b.length();
    const int bytes = n ? std::memcmp(a.c_str(), b.c_str(), n) : 0;
    if (bytes != 0)
        return bytes;
    return a.length() < b.length() ? -1 : (a.length() > b.length() ? 1 : 0);
}

} // namespace

CPremiumGroupList::~CPremiumGroupList()
{
    clear();
}

void CPremiumGroupList::clear()
{
    for (CPremiumGroup* group : groups_)
        delete group;
    groups_.clear();
    current_ = nullptr;
}

CPremiumGroup* CPremiumGroupList::findById(const CVXLString& groupId) const
{
    for (CPremiumGroup* group : groups_)
        if (group->groupId == groupId)
            return group;
    return nullptr;
}

CPremiumGroup* CPremiumGroupList::findByName(const CVXLString& name) const
{
    for (CPremiumGroup* group : groups_)
        if (group->name == name)
            return group;
    return nullptr;
}

bool CPremiumGroupList::append(CPremiumGroup* group)
{
    if (!group)
        return false;
    groups_.push_back(group);
    return true;
}

void CPremiumGroupList::dropEmpty()
{
    std::size_t kept = 0;
    for (CPremiumGroup* group : groups_) {
        if (group->messageCount != 0) {
            groups_[kept++] = group;
            continue;
        }
        if (current_ == group)
            current_ = nullptr;
        delete group;
    }
    groups_.resize(kept);
}

bool CPremiumGroupList::movesBefore(
    const CPremiumGroup& group, const CPremiumGroup& earlier, std::int32_t mode)
{
    if (group.priority != earlier.priority)
        return group.priority < earlier.priority;
    switch (mode) {
    case kByName:
        return compareNames(group.name, earlier.name) < 0;
    case kByUnread: {
        const auto unread = static_cast<std::int32_t>(group.unreadCount);
        const auto earlierUnread = static_cast<std::int32_t>(earlier.unreadCount);
        if (unread != earlierUnread)
            return unread > earlierUnread;
        return compareNames(group.name, earlier.name) < 0;
    }
    // On equal keys the later group moves first.
    case kNewestFirst:
        return group.createdTime >= earlier.createdTime;
    case kOldestFirst:
        return group.createdTime <= earlier.createdTime;
    case kLatestMessageFirst:
        return group.latestTime >= earlier.latestTime;
    default:
        return false;
    }
}

void CPremiumGroupList::reorder(std::int32_t mode)
{
    if (mode == kLatestMessageFirst) {
        for (CPremiumMessageEntry* entry : entries_)
            if (entry->group && entry->receivedTime > entry->group->latestTime)
                entry->group->latestTime = entry->receivedTime;
    }
    for (std::size_t i = 1; i < groups_.size(); ++i) {
        CPremiumGroup* group = groups_[i];
        std::size_t at = i;
        while (at > 0 && movesBefore(*group, *groups_[at - 1], mode)) {
            groups_[at] = groups_[at - 1];
            --at;
        }
        groups_[at] = group;
    }
    for (CPremiumGroup* group : groups_)
        group->latestTime = 0;
    modeApplied_ = mode;
}
