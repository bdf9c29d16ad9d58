#include "engine/screens/VXLLayoutMediaBrowser.h"

#include "engine/access/MediaAccessManager.h"
#include "engine/core/base/VXLElement.h"
#include "engine/core/settings/VXLConfigItem.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/screens/VXLScreenServices.h"

#include <iterator>

namespace {

using L = CVXLLayoutMediaBrowser;

constexpr std::uint32_t event(std::uint32_t action)
{
    return layoutEventId(kLayoutMediaBrowser, action);
}

constexpr std::uint32_t kMenu = kActionKindMenuItem;
constexpr std::uint32_t kHard = kActionKindHardKey;
constexpr std::uint32_t kOff = kActionKindNotApplicable;
constexpr std::uint32_t kUnplaced = kActionKindUnplaced;

constexpr std::uint32_t kBack = kLayoutActionBack;
constexpr std::uint32_t kExit = kLayoutActionExit;
constexpr std::uint32_t kContinue = kLayoutActionContinue;
constexpr std::uint32_t kUpdate = kLayoutActionUpdate;
constexpr std::uint32_t kSelect = kLayoutActionSelect;

#define VXL_ROW(state, action, kind, label)                                                                  \
    {                                                                                                        \
        state, event(action), kind, label                                                                    \
    }

// An album state (0 online, 1 card, 2 phone), labels from its block of 17
// (the View label is never offered): the kinds of Voice Send, Upload, Copy
// and Move differ by state.
#define VXL_ALBUM_ROWS(state, base, voice, upload, copyMove)                                                 \
    VXL_ROW(state, L::kSendToContacts, kMenu, base + 0), VXL_ROW(state, L::kPost, kMenu, base + 1),          \
        VXL_ROW(state, L::kVoiceSend, voice, base + 2), VXL_ROW(state, L::kUpload, upload, base + 3),        \
        VXL_ROW(state, L::kDelete, kMenu, base + 4), VXL_ROW(state, L::kCopy, copyMove, base + 5),           \
        VXL_ROW(state, L::kMove, copyMove, base + 6), VXL_ROW(state, kSelect, kHard, base + 7),              \
        VXL_ROW(state, L::kSelectAll, kMenu, base + 8), VXL_ROW(state, L::kDeselectAll, kMenu, base + 9),    \
        VXL_ROW(state, kUpdate, kHard, base + 10), VXL_ROW(state, kContinue, kOff, base + 12),               \
        VXL_ROW(state, L::kAlbumList, kHard, base + 14), VXL_ROW(state, kBack, kHard, base + 13),            \
        VXL_ROW(state, L::kPrint, kMenu, base + 15), VXL_ROW(state, kExit, kHard, base + 16)

// A picker state (3-5), labels from its block of 8.
#define VXL_PICKER_ROWS(state, base)                                                                         \
    VXL_ROW(state, kSelect, kHard, base + 0), VXL_ROW(state, L::kSelectAll, kOff, base + 1),                 \
        VXL_ROW(state, L::kDeselectAll, kOff, base + 2), VXL_ROW(state, kUpdate, kHard, base + 3),           \
        VXL_ROW(state, kContinue, kHard, base + 4), VXL_ROW(state, L::kAlbumList, kOff, base + 6),           \
        VXL_ROW(state, kBack, kHard, base + 5), VXL_ROW(state, kExit, kHard, base + 7)

// An assign state without a window (12, 13).
#define VXL_ASSIGN_ROWS(state, base)                                                                         \
    VXL_ROW(state, kUpdate, kHard, base + 0), VXL_ROW(state, L::kAssign, kHard, base + 1),                   \
        VXL_ROW(state, kBack, kHard, base + 2), VXL_ROW(state, kExit, kHard, base + 3)

// A delete state (6 phone, 7 card).
#define VXL_DELETE_ROWS(state, base)                                                                         \
    VXL_ROW(state, kSelect, kHard, base + 0), VXL_ROW(state, L::kSelectAll, kUnplaced, base + 1),            \
        VXL_ROW(state, L::kDeselectAll, kUnplaced, base + 2), VXL_ROW(state, kUpdate, kHard, base + 3),      \
        VXL_ROW(state, kContinue, kHard, base + 4), VXL_ROW(state, L::kDelete, kMenu, base + 6),             \
        VXL_ROW(state, kBack, kHard, base + 5), VXL_ROW(state, kExit, kHard, base + 7)

// A choosing state (8 save, 9 print, 10 assign, 11 slide show), labels from
// its block of 16; `menu` is the kind of the commands on the selection.
#define VXL_CHOOSE_ROWS(state, base, menu, del, albumList, back)                                             \
    VXL_ROW(state, L::kSendToContacts, menu, base + 0), VXL_ROW(state, L::kPost, menu, base + 1),            \
        VXL_ROW(state, L::kUpload, menu, base + 2), VXL_ROW(state, L::kDelete, del, base + 3),               \
        VXL_ROW(state, L::kCopy, menu, base + 4), VXL_ROW(state, L::kMove, menu, base + 5),                  \
        VXL_ROW(state, kSelect, kHard, base + 6), VXL_ROW(state, L::kSelectAll, menu, base + 7),             \
        VXL_ROW(state, L::kDeselectAll, menu, base + 8), VXL_ROW(state, kUpdate, kHard, base + 9),           \
        VXL_ROW(state, kContinue, kHard, base + 11), VXL_ROW(state, L::kAlbumList, kOff, albumList),         \
        VXL_ROW(state, kBack, kHard, back), VXL_ROW(state, L::kPrint, menu, base + 14),                      \
        VXL_ROW(state, kExit, kHard, base + 15)

// A single item (15 card, 14 phone): the album state's rows it keeps, with
// their labels. The card's Voice Send comes before Post, the phone's after.
#define VXL_SINGLE_HEAD_CARD(state, base)                                                                    \
    VXL_ROW(state, L::kSendToContacts, kMenu, base + 0), VXL_ROW(state, L::kVoiceSend, kUnplaced, base + 2), \
        VXL_ROW(state, L::kPost, kMenu, base + 1)
#define VXL_SINGLE_HEAD_PHONE(state, base)                                                                   \
    VXL_ROW(state, L::kSendToContacts, kMenu, base + 0), VXL_ROW(state, L::kPost, kMenu, base + 1),          \
        VXL_ROW(state, L::kVoiceSend, kUnplaced, base + 2)
#define VXL_SINGLE_TAIL(state, base)                                                                         \
    VXL_ROW(state, L::kUpload, kMenu, base + 3), VXL_ROW(state, L::kDelete, kMenu, base + 4),                \
        VXL_ROW(state, kSelect, kHard, base + 7), VXL_ROW(state, kUpdate, kHard, base + 10),                 \
        VXL_ROW(state, L::kAlbumList, kHard, base + 14), VXL_ROW(state, kBack, kHard, base + 13),            \
        VXL_ROW(state, L::kPrint, kMenu, base + 15), VXL_ROW(state, kExit, kHard, base + 16)

constexpr CVXLLayoutCommandRow kRows[] = {
    VXL_ALBUM_ROWS(0, 124, kMenu, kOff, kMenu),
    VXL_ALBUM_ROWS(1, 141, kUnplaced, kMenu, kOff),
    VXL_ALBUM_ROWS(2, 158, kUnplaced, kMenu, kOff),
    VXL_PICKER_ROWS(3, 191),
    VXL_PICKER_ROWS(4, 183),
    VXL_PICKER_ROWS(5, 175),
    VXL_ASSIGN_ROWS(12, 203),
    VXL_ASSIGN_ROWS(13, 207),
    VXL_DELETE_ROWS(6, 211),
    VXL_DELETE_ROWS(7, 219),
    VXL_CHOOSE_ROWS(8, 227, kOff, kOff, 240, 239),
    VXL_CHOOSE_ROWS(9, 243, kOff, kOff, 256, 255),
    VXL_CHOOSE_ROWS(10, 259, kOff, kOff, 272, 271),
    VXL_CHOOSE_ROWS(11, 275, kMenu, kOff, 287, 288),
    VXL_SINGLE_HEAD_CARD(15, 141),
    VXL_SINGLE_TAIL(15, 141),
    VXL_SINGLE_HEAD_PHONE(14, 158),
    VXL_SINGLE_TAIL(14, 158),
};
#undef VXL_SINGLE_TAIL
#undef VXL_SINGLE_HEAD_PHONE
#undef VXL_SINGLE_HEAD_CARD
#undef VXL_CHOOSE_ROWS
#undef VXL_DELETE_ROWS
#undef VXL_ASSIGN_ROWS
#undef VXL_PICKER_ROWS
#undef VXL_ALBUM_ROWS
#undef VXL_ROW

static_assert(std::size(kRows) == 178);

// Titles of states 0-11; the others have none.
constexpr std::uint32_t kTitles[] = {291, 292, 293, 298, 299, 300, 301, 302, 294, 295, 296, 297};

// Refused with no focused item.
bool needsFocus(std::uint32_t action)
{
    switch (action) {
    case L::kAssign:
    case L::kCopy:
    case L::kDelete:
    case L::kMove:
    case L::kPost:
    case L::kPrint:
    case kSelect:
    case L::kSelectAll:
    case L::kSendToContacts:
    case L::kUpload:
    case L::kDeselectAll:
        return true;
    default:
        return false;
    }
}

} // namespace

CVXLLayoutMediaBrowser::CVXLLayoutMediaBrowser()
    : CVXLLayout(kLayoutMediaBrowser)
{
}

// The elements may be gone before the layout: it only forgets them.
CVXLLayoutMediaBrowser::~CVXLLayoutMediaBrowser() = default;

void CVXLLayoutMediaBrowser::letGo(CVXLObject* slot)
{
    auto* element = static_cast<CVXLElement*>(slot);
    if (!element)
        return;
    if (element == currentElement())
        setCurrentElement(nullptr);
    if (element->elementOwner() == this)
        element->setElementOwner(nullptr);
}

CVXLString CVXLLayoutMediaBrowser::getTitle() const
{
    return state() < std::size(kTitles) ? text(kTitles[state()]) : CVXLString();
}

bool CVXLLayoutMediaBrowser::canSubmitAction(std::uint32_t eventId) const
{
    if (!CVXLLayout::canSubmitAction(eventId))
        return false;
    if ((eventId >> 16) != kLayoutMediaBrowser)
        return true;
    return currentElement() || !needsFocus(eventId & 0xFFFF);
}

const CVXLLayoutCommandRow* CVXLLayoutMediaBrowser::getCommandTable() const
{
    return kRows;
}

std::uint32_t CVXLLayoutMediaBrowser::getCommandCount() const
{
    return static_cast<std::uint32_t>(std::size(kRows));
}

void CVXLLayoutMediaBrowser::resetWindow()
{
    std::int32_t size = configNumber(kCfgMediaBrowserWindowSize, kDefaultWindowSize);
    // A window of no items could show nothing: the default instead.
    if (size <= 0)
        size = kDefaultWindowSize;
    if (state() == kSingleItemState || state() == kSingleItemState + 1)
        size = 1;
    size = CVXLListModel::boundedLength(size);
    windowSize_ = static_cast<std::uint32_t>(size);
    if (limited_ && limit_ < windowSize_)
        windowSize_ = limit_;
    windowSet_ = 1;
    const std::int32_t row = configNumber(kCfgItem52, kDefaultRowLength);
    rowLength_ = row > 0 ? static_cast<std::uint32_t>(row) : kDefaultRowLength;
    window_.setWindow(0, static_cast<std::int32_t>(windowSize_));
    window_.setCursor(0);
    window_.clear();
    window_.commit();
}

void CVXLLayoutMediaBrowser::reset()
{
    resetWindow();
    setCurrentElement(nullptr);
    setFirst(0);
    movedWindow_ = 0;
    CVXLScreenServices* screen = services();
    mam_ = screen ? screen->mediaAccess() : nullptr;
}

void CVXLLayoutMediaBrowser::setLimit(std::uint32_t limit)
{
    if (windowSet_ && limit < windowSize_)
        limit = windowSize_;
    limited_ = 1;
    limit_ = limit;
}

std::uint32_t CVXLLayoutMediaBrowser::cacheMax() const
{
    return windowSize_ == 0 ? 0 : windowSize_ * (limit_ / windowSize_);
}

std::uint32_t CVXLLayoutMediaBrowser::filteredTotal() const
{
    const std::uint32_t bits = filter();
    return ((bits & kMediaFilterImages) ? imageCount_ : 0) + ((bits & kMediaFilterVideos) ? videoCount_ : 0);
}

void CVXLLayoutMediaBrowser::setFirst(std::uint32_t index)
{
    const std::uint32_t total = filteredTotal();
    first_ = index < total ? index : (total == 0 ? 0 : total - 1);
    window_.setFirst(static_cast<std::int32_t>(first_));
    movedWindow_ = 1;
}

void CVXLLayoutMediaBrowser::applyOneShotFilter()
{
    CVXLScreenServices* screen = services();
    const std::int32_t armed = screen ? screen->takeOneShotFilter() : -1;
    if (armed < 0)
        return;
    clearFilter();
    addFilter(static_cast<std::uint32_t>(armed));
    commitFilter();
}

bool CVXLLayoutMediaBrowser::hasElement(std::int32_t index) const
{
    return elementAt(index) != nullptr;
}

CVXLElement* CVXLLayoutMediaBrowser::elementAt(std::int32_t index) const
{
    if (index < cacheFirst_)
        return nullptr;
    return static_cast<CVXLElement*>(cache_.at(index - cacheFirst_));
}

bool CVXLLayoutMediaBrowser::addElement(CVXLElement* element, std::int32_t index)
{
    if (!element || index < 0)
        return false;
    const auto count = static_cast<std::int32_t>(cache_.count());
    bool stored = false;
    if (count == 0) {
        stored = cache_.insertAt(element, -1) == 1;
        if (stored)
            cacheFirst_ = index;
    } else if (index >= cacheFirst_ && index < cacheFirst_ + count) {
        if (CVXLElement* old = elementAt(index); old != element)
            letGo(old);
        stored = cache_.setAt(element, index - cacheFirst_);
    } else if (index == cacheFirst_ + count) {
        stored = cache_.insertAt(element, -1) == 1;
    } else if (index == cacheFirst_ - 1) {
        stored = cache_.insertAt(element, 0) == 1;
        if (stored)
            cacheFirst_ = index;
    }
    if (stored)
        element->setElementOwner(this);
    return stored;
}

bool CVXLLayoutMediaBrowser::removeAt(std::int32_t index)
{
    const auto count = static_cast<std::int32_t>(cache_.count());
    if (index < cacheFirst_ || index >= cacheFirst_ + count)
        return false;
    if (index == cacheFirst_)
        return dropFront(1);
    if (index == cacheFirst_ + count - 1)
        return dropBack(1);
    letGo(elementAt(index));
    return cache_.setAt(nullptr, index - cacheFirst_);
}

bool CVXLLayoutMediaBrowser::dropFront(std::uint32_t n)
{
    if (n > cache_.count())
        return false;
    for (std::uint32_t i = 0; i < n; ++i)
        letGo(cache_.at(static_cast<int>(i)));
    if (!cache_.dropFirst(n))
        return false;
    cacheFirst_ = cache_.count() == 0 ? 0 : cacheFirst_ + static_cast<std::int32_t>(n);
    return true;
}

bool CVXLLayoutMediaBrowser::dropBack(std::uint32_t n)
{
    if (n > cache_.count())
        return false;
    for (std::uint32_t i = 0; i < n; ++i) {
        const int last = static_cast<int>(cache_.count()) - 1;
        letGo(cache_.at(last));
        cache_.removeAt(last);
    }
    if (cache_.count() == 0)
        cacheFirst_ = 0;
    return true;
}

bool CVXLLayoutMediaBrowser::setRange(std::int32_t first, std::uint32_t count)
{
    if (first < 0)
        return false;
    clearElements();
    if (count != 0 && !cache_.reserve(count))
        return false;
    for (std::uint32_t i = 0; i < count; ++i)
        if (!cache_.insertAt(nullptr, -1)) {
            clearElements();
            return false;
        }
    cacheFirst_ = first;
    return true;
}

bool CVXLLayoutMediaBrowser::growFront(std::uint32_t n)
{
    if (n > static_cast<std::uint32_t>(cacheFirst_))
        return false;
    for (std::uint32_t i = 0; i < n; ++i)
        if (!cache_.insertAt(nullptr, 0)) {
            // What was added goes again: the range stays as it was.
            cache_.dropFirst(i);
            return false;
        }
    cacheFirst_ -= static_cast<std::int32_t>(n);
    return true;
}

void CVXLLayoutMediaBrowser::clearElements()
{
    for (std::uint32_t i = 0; i < cache_.count(); ++i)
        letGo(cache_.at(static_cast<int>(i)));
    cache_.clear();
    cacheFirst_ = 0;
}

void CVXLLayoutMediaBrowser::forgetElements()
{
    setCurrentElement(nullptr);
    cache_.clear();
    cacheFirst_ = 0;
}

bool CVXLLayoutMediaBrowser::toggleFocused()
{
    CVXLElement* focused = currentElement();
    CVXLMediaItem* item = focused ? focused->asMediaItem() : nullptr;
    if (!mam_ || !item)
        return false;
    mam_->toggleSelection(*item);
    return true;
}

void CVXLLayoutMediaBrowser::toggleAll()
{
    if (!mam_)
        return;
    if (mam_->selectionFlag()) {
        mam_->clearAllSelections();
        mam_->setSelectionFlag(false);
    } else {
        mam_->setSelectionFlag(true);
    }
}

bool CVXLLayoutMediaBrowser::wholeAlbum() const
{
    return mam_ && mam_->selectionFlag();
}
