#pragma once

#include "engine/core/base/VXLPtrArray.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLChangeCounter.h"
#include "engine/screens/VXLLayout.h"
#include "engine/screens/VXLListModel.h"

#include <cstdint>

class CMediaAccessManager;

// The media browser (type 7): a window of an album's media shown in rows,
// the focused item, a media filter and the commands on the selection, which
// the Media Access Manager keeps. The owning browse job loads the elements
// into one contiguous cache range around the window; the layout refers to
// them and makes itself their owner while they are in the range, but the
// manager keeps them.
class CVXLLayoutMediaBrowser : public CVXLLayout {
public:
    static constexpr std::int32_t kDefaultWindowSize = 16;
    static constexpr std::int32_t kDefaultRowLength = 4;
    // States 14 and 15 show a single item.
    static constexpr std::uint32_t kSingleItemState = 14;
    // Low halves of the browser's own events.
    enum Action : std::uint32_t {
        kAssign = 0x6C,
        kCopy = 0x6E,
        kDelete = 0x6F,
        kMove = 0x73,
        kPost = 0x75,
        kPrint = 0x77,
        kSelectAll = 0x81,
        kSendToContacts = 0x82,
        kUpload = 0x83,
        kAlbumList = 0x85,
        kVoiceSend = 0x86,
        kDeselectAll = 0x8B,
    };

    CVXLLayoutMediaBrowser();
    ~CVXLLayoutMediaBrowser() override;

    // Busy while the shown content is stale.
    bool isBusy() const override { return stale_ != 0; }
    CVXLString getTitle() const override;
    // The commands on an item or the selection need a focused item.
    bool canSubmitAction(std::uint32_t eventId) const override;
    const CVXLLayoutCommandRow* getCommandTable() const override;
    std::uint32_t getCommandCount() const override;

    // A fresh screen: the window from the configuration, no focus, first 0
    // (not marked as moved), and the Client's Media Access Manager.
    void reset();
    // The most elements the job keeps loaded; never below a set window.
    void setLimit(std::uint32_t limit);
    // The window size times the whole windows the limit holds.
    std::uint32_t cacheMax() const;
    // Past the filtered total it stops on the last item (0 when empty).
    void setFirst(std::uint32_t index);
    // Items that pass the filter, of the album's counts.
    std::uint32_t filteredTotal() const;

    void clearFilter() { filter_.set(0); }
    void addFilter(std::uint32_t bit) { filter_.set(filter_.changeCount() | static_cast<std::int32_t>(bit)); }
    bool filterChanged() const { return filter_.changed(); }
    void commitFilter() { filter_.commit(); }
    std::uint32_t filter() const { return static_cast<std::uint32_t>(filter_.changeCount()); }
    // Takes the filter armed for the next browse, if any: it becomes the
    // committed filter.
    void applyOneShotFilter();

    // The loaded elements, by absolute index, in [cacheFirst, cacheFirst +
    // cacheCount); a slot may be empty.
    bool hasElement(std::int32_t index) const;
    CVXLElement* elementAt(std::int32_t index) const;
    // Stores the element in its slot; one next to either end of the range
    // extends it (an empty range starts there). False elsewhere.
    bool addElement(CVXLElement* element, std::int32_t index);
    // Empties the slot; at either end the range shrinks by it.
    bool removeAt(std::int32_t index);
    // False, with nothing changed, when n exceeds the range.
    bool dropFront(std::uint32_t n);
    bool dropBack(std::uint32_t n);
    // A range of empty slots, replacing the loaded ones.
    bool setRange(std::int32_t first, std::uint32_t count);
    // Empty slots before the range; false past index 0.
    bool growFront(std::uint32_t n);
    bool shrinkFront(std::uint32_t n) { return dropFront(n); }
    void clearElements();
    // Empties the range without touching its elements: for when the manager
    // has deleted them (a delete or a move empties its lists).
    void forgetElements();
    std::int32_t cacheFirst() const { return cacheFirst_; }
    std::uint32_t cacheCount() const { return cache_.count(); }

    // The selection in the Media Access Manager; false without a manager or
    // a focused media item.
    bool toggleFocused();
    // A whole-album selection is cleared, else the whole album is selected.
    void toggleAll();
    bool wholeAlbum() const;

    std::uint32_t first() const { return first_; }
    bool movedWindow() const { return movedWindow_ != 0; }
    void clearMovedWindow() { movedWindow_ = 0; }
    std::uint32_t windowSize() const { return windowSize_; }
    std::uint32_t rowLength() const { return rowLength_; }
    std::uint32_t limit() const { return limit_; }
    bool isLimited() const { return limited_ != 0; }
    CVXLListModel& window() { return window_; }
    CMediaAccessManager* mediaAccess() const { return mam_; }
    const CVXLString& albumName() const { return albumName_; }
    void setAlbumName(const CVXLString& name) { albumName_ = name; }
    void setCounts(std::uint32_t videos, std::uint32_t images)
    {
        videoCount_ = videos;
        imageCount_ = images;
    }
    std::uint32_t videoCount() const { return videoCount_; }
    std::uint32_t imageCount() const { return imageCount_; }
    bool isStale() const { return stale_ != 0; }
    void setStale(bool stale) { stale_ = stale ? 1 : 0; }

private:
    void resetWindow();
    // An element leaving the cache: no longer focused nor owned by the layout.
    void letGo(CVXLObject* slot);

    CVXLChangeCounter filter_;
    CMediaAccessManager* mam_ = nullptr;
    CVXLPtrArray cache_;
    std::int32_t cacheFirst_ = 0;
    CVXLListModel window_;
    std::uint32_t first_ = 0;
    std::uint32_t movedWindow_ = 0;
    std::uint32_t windowSize_ = 0;
    std::uint32_t rowLength_ = kDefaultRowLength;
    std::uint32_t limit_ = 0;
    std::uint8_t limited_ = 0;
    std::uint8_t windowSet_ = 0;
    CVXLString albumName_;
    std::uint32_t videoCount_ = 0;
    std::uint32_t imageCount_ = 0;
    std::uint8_t stale_ = 0;
};
