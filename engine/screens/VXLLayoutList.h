#pragma once

#include "engine/core/base/VXLPtrArray.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/settings/VXLConfigItem.h"
#include "engine/media/VXLTrackedText.h"
#include "engine/screens/VXLLayout.h"
#include "engine/screens/VXLListModel.h"

#include <cstdint>

class CVXLAlbum;

// The plain list (type 0) of the album flows: online albums (state 0), the
// albums to upload to (1) and the storage locations (2). In state 2 the
// layout builds its own entries from the media store manager: the phone's
// stores, the "OnLine Albums" entry after the first of them (unless the job
// suppresses it), and the memory card's stores when configuration item 41
// says a card is present. It also keeps the name typed for a new album.
class CVXLLayoutList : public CVXLLayout {
public:
    static constexpr std::int32_t kConfigWindowLength = kCfgAlbumListWindowSize;
    static constexpr std::int32_t kDefaultWindowLength = 3;
    static constexpr std::uint32_t kStorageState = 2;
    static constexpr std::uint32_t kOnlineAlbumsTextId = 747;
    static constexpr std::uint32_t kOnlineAlbumsLocation = 1;
    static constexpr std::uint32_t kSend = 0x82;
    static constexpr std::uint32_t kDelete = 0x6F;

    CVXLLayoutList();
    ~CVXLLayoutList() override;

    CVXLString getTitle() const override;
    bool canSubmitAction(std::uint32_t eventId) const override;
    const CVXLLayoutCommandRow* getCommandTable() const override;
    std::uint32_t getCommandCount() const override;
    // State 2 builds the storage entries.
    void setState(std::uint32_t state) override;

    // A fresh screen: empty window of the configured length at 0, the
    // "OnLine Albums" entry allowed again.
    void reset();
    bool addItem(CVXLElement* item, std::int32_t absolute);
    void clear();
    // State 2: the entries built again.
    void refresh();
    // The built entries one by one with the packed location of each.
    void restartEntries() { position_ = 0; }
    bool nextEntry(CVXLAlbum** entry, std::uint32_t* location);
    std::uint32_t builtCount() const { return built_; }
    CVXLAlbum* onlineEntry() const { return online_; }
    void invalidateOnlineEntry();
    void setOnlineSuppressed(bool suppressed) { suppressOnline_ = suppressed ? 1 : 0; }

    CVXLListModel& list() { return list_; }
    const CVXLListModel& list() const { return list_; }
    CVXLTrackedText& albumName() { return albumName_; }

    // The album-pick jobs: how many albums the list has in all, whether
    // more of its window is being fetched, and whether the name typed for a
    // new album is taken.
    std::uint32_t albumCount() const { return albumCount_; }
    void setAlbumCount(std::uint32_t count) { albumCount_ = count; }
    bool busy() const { return busy_ != 0; }
    void setBusy(bool busy) { busy_ = busy ? 1 : 0; }
    bool offersNewAlbum() const { return offersNewAlbum_ != 0; }
    void setOffersNewAlbum(bool offered) { offersNewAlbum_ = offered ? 1 : 0; }

private:
    void buildStorageEntries();
    void dropStorageEntries();
    // Appends an entry of the store; false when it cannot be kept.
    bool addStore(std::int32_t index, std::int32_t* next);

    CVXLListModel list_;
    CVXLTrackedText albumName_;
    CVXLString text_;
    // Entries in the order built, the "OnLine Albums" one among them.
    CVXLPtrArray entries_;
    CVXLAlbum* online_ = nullptr;
    std::uint32_t built_ = 0;
    std::uint32_t position_ = 0;
    std::uint8_t suppressOnline_ = 0;
    std::uint32_t albumCount_ = 0;
    std::uint8_t busy_ = 0;
    std::uint8_t offersNewAlbum_ = 0;
};
