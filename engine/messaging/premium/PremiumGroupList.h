#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/messaging/premium/PremiumGroup.h"
#include "engine/messaging/premium/PremiumMessageEntry.h"

#include <cstdint>
#include <vector>

// The premium groups in their display order, the current (selected) group,
// and a view of the manager's message entries (for the ordering by latest
// message). Owns the groups.
class CPremiumGroupList {
public:
    // Ordering modes (configuration item 51) for groups of equal priority.
    enum Mode : std::int32_t {
        kByName = 0,
        kByUnread = 1,
        kNewestFirst = 2,
        kOldestFirst = 3,
        kLatestMessageFirst = 4,
    };
    static constexpr std::int32_t kNotOrdered = -1;

    explicit CPremiumGroupList(const std::vector<CPremiumMessageEntry*>& entries)
        : entries_(entries)
    {
    }
    ~CPremiumGroupList();
    CPremiumGroupList(const CPremiumGroupList&) = delete;
    CPremiumGroupList& operator=(const CPremiumGroupList&) = delete;

    std::uint32_t count() const { return static_cast<std::uint32_t>(groups_.size()); }
    CPremiumGroup* at(std::uint32_t index) const { return index < groups_.size() ? groups_[index] : nullptr; }
    CPremiumGroup* findById(const CVXLString& groupId) const;
    CPremiumGroup* findByName(const CVXLString& name) const;
    // Appends; the list owns the group from then on.
    bool append(CPremiumGroup* group);
    // Deletes the groups without messages; clears the current group when it
    // is one of them.
    void dropEmpty();
    void clear();

    CPremiumGroup* current() const { return current_; }
    void setCurrent(CPremiumGroup* group) { current_ = group; }

    // Insertion sort: priority ascending (signed), then by the mode; an
    // unknown mode keeps the order. The mode is remembered.
    void reorder(std::int32_t mode);
    std::int32_t modeApplied() const { return modeApplied_; }

private:
    // Whether `group` moves before `earlier`, which precedes it.
    static bool movesBefore(const CPremiumGroup& group, const CPremiumGroup& earlier, std::int32_t mode);

    const std::vector<CPremiumMessageEntry*>& entries_;
    std::vector<CPremiumGroup*> groups_;
    CPremiumGroup* current_ = nullptr;
    std::int32_t modeApplied_ = kNotOrdered;
};
