#pragma once

#include "engine/core/settings/VXLConfigItem.h"
#include "engine/screens/VXLLayout.h"
#include "engine/screens/VXLListModel.h"

#include <cstdint>

class CVXLMessageListItem;

// The thread list (type 14): one list item per conversation in a window of
// the thread database's shown threads, and the number of threads in all.
// The items belong to the job that fills the list. Without an item in the
// window it refuses what needs a thread (Continue, Update, Delete, Delete
// All) and keeps Compose, Back and Exit.
class CVXLLayoutThreadList : public CVXLLayout {
public:
    static constexpr std::uint32_t kTitleId = 303;
    static constexpr std::int32_t kConfigWindowLength = kCfgWindowSize12;
    static constexpr std::int32_t kDefaultWindowLength = 16;

    CVXLLayoutThreadList();
    ~CVXLLayoutThreadList() override = default;

    CVXLString getTitle() const override;
    bool canSubmitAction(std::uint32_t eventId) const override;
    const CVXLLayoutCommandRow* getCommandTable() const override;
    std::uint32_t getCommandCount() const override;

    // A fresh screen: empty window of the configured length at 0.
    void reset();
    // Stores the item at the index, selecting it when nothing is; false
    // (nothing changed) outside the window.
    bool addItem(CVXLMessageListItem* item, std::int32_t absolute);
    void clear();
    bool hasItems() const;
    CVXLMessageListItem* selectedItem() const;

    CVXLListModel& list() { return list_; }
    const CVXLListModel& list() const { return list_; }
    std::uint32_t itemCount() const { return itemCount_; }
    void setItemCount(std::uint32_t count) { itemCount_ = count; }

private:
    CVXLListModel list_;
    std::uint32_t itemCount_ = 0;
};
