#pragma once

#include "engine/core/settings/VXLConfigItem.h"
#include "engine/screens/VXLLayout.h"
#include "engine/screens/VXLListModel.h"

#include <cstdint>

class CVXLFolderEntry;

// The message folder list (type 5): a window of folder rows (the folder
// list job makes and owns them), the current row, and View, Update,
// Compose, Back and Exit; state 0 is titled "Tessel", state 1 "Premium
// Content". The phone builds no window for it.
class CVXLLayoutFolderList : public CVXLLayout {
public:
    static constexpr std::int32_t kConfigWindowLength = kCfgFolderListWindowSize;
    static constexpr std::uint32_t kEventView = layoutEventId(kLayoutFolderList, 0x84);
    static constexpr std::uint32_t kEventUpdate = layoutEventId(kLayoutFolderList, kLayoutActionUpdate);
    static constexpr std::uint32_t kEventCompose = layoutEventId(kLayoutFolderList, 0x6D);
    static constexpr std::uint32_t kEventBack = layoutEventId(kLayoutFolderList, kLayoutActionBack);
    static constexpr std::uint32_t kEventExit = layoutEventId(kLayoutFolderList, kLayoutActionExit);

    CVXLLayoutFolderList();

    CVXLString getTitle() const override;
    const CVXLLayoutCommandRow* getCommandTable() const override;
    std::uint32_t getCommandCount() const override;
    // A fresh list: a window of the configured length (0 when item 14 is not
    // set) at 0, marked changed, with no rows.
    bool prepare() override;
    // View is taken while a row is current, or once the flag allows it.
    bool canSubmitAction(std::uint32_t eventId) const override;
    void detachView() override;

    // Stores the row at its absolute position; the first row added becomes
    // the current one. False outside the window.
    bool addEntry(CVXLFolderEntry* entry, std::int32_t position);
    // Forgets every row (they stay their maker's).
    void clear();
    CVXLFolderEntry* currentEntry() const;
    CVXLFolderEntry* entryAt(std::int32_t position) const;

    bool viewAllowed() const { return viewAllowed_ != 0; }
    void setViewAllowed(bool allowed) { viewAllowed_ = allowed ? 1 : 0; }
    CVXLListModel& list() { return list_; }
    const CVXLListModel& list() const { return list_; }

private:
    CVXLListModel list_;
    std::uint8_t viewAllowed_ = 0;
};
