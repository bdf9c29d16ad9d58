#include "engine/screens/VXLLayoutList.h"

#include "engine/media/VXLAlbum.h"
#include "engine/media/VXLMediaStoreManager.h"
#include "engine/screens/VXLScreenServices.h"

#include <iterator>

namespace {

constexpr CVXLLayoutCommandRow kRows[] = {
    {0, kLayoutActionContinue, kActionKindHardKey, 6},
    {0, CVXLLayoutList::kSend, kActionKindLeftSoftKey, 7},
    {0, kLayoutActionUpdate, kActionKindUnplaced, 8},
    {0, CVXLLayoutList::kDelete, kActionKindHardKey, 9},
    {0, kLayoutActionBack, kActionKindHardKey, 10},
    {0, kLayoutActionExit, kActionKindHardKey, 11},
    {1, kLayoutActionContinue, kActionKindHardKey, 16},
    {1, kLayoutActionUpdate, kActionKindUnplaced, 17},
    {1, kLayoutActionBack, kActionKindHardKey, 18},
    {1, kLayoutActionExit, kActionKindHardKey, 19},
    {2, kLayoutActionContinue, kActionKindHardKey, 12},
    {2, kLayoutActionUpdate, kActionKindUnplaced, 13},
    {2, kLayoutActionBack, kActionKindHardKey, 14},
    {2, kLayoutActionExit, kActionKindHardKey, 15},
};

constexpr std::uint32_t kTitles[] = {20, 21, 22};

constexpr std::int32_t kPhoneStore = 1;
constexpr std::int32_t kCardStore = 2;
// The low half of a memory card store's packed location.
constexpr std::uint32_t kCardLocationKind = 4;

} // namespace

CVXLLayoutList::CVXLLayoutList()
    : CVXLLayout(kLayoutList)
{
}

CVXLLayoutList::~CVXLLayoutList()
{
    dropStorageEntries();
}

CVXLString CVXLLayoutList::getTitle() const
{
    return state() < std::size(kTitles) ? text(kTitles[state()]) : CVXLString();
}

const CVXLLayoutCommandRow* CVXLLayoutList::getCommandTable() const
{
    return kRows;
}

std::uint32_t CVXLLayoutList::getCommandCount() const
{
    return static_cast<std::uint32_t>(std::size(kRows));
}

bool CVXLLayoutList::canSubmitAction(std::uint32_t eventId) const
{
    if (state() == 0 && eventId == kDelete) {
        const CVXLElement* first = list_.itemAt(list_.first());
        if (currentElement() && currentElement() == first)
            return false;
    }
    if (state() == kStorageState && eventId == kLayoutActionContinue) {
        const CVXLElement* current = currentElement();
        const CVXLAlbum* entry = current && current->elementType() == kElementAlbum
            ? static_cast<const CVXLAlbum*>(current)
            : nullptr;
        if (entry && (entry->location() & 0xFFFF) == kCardLocationKind
            && !CVXLScreenServices::memoryCardPresent(services()))
            return false;
    }
    return CVXLLayout::canSubmitAction(eventId);
}

void CVXLLayoutList::setState(std::uint32_t state)
{
    CVXLLayout::setState(state);
    if (state == kStorageState)
        buildStorageEntries();
}

void CVXLLayoutList::reset()
{
    list_.setWindow(0, CVXLListModel::boundedLength(configNumber(kConfigWindowLength, kDefaultWindowLength)));
    list_.clear();
    list_.setCursor(0);
    list_.setStopAtEnd(1);
    setCurrentElement(nullptr);
    suppressOnline_ = 0;
}

bool CVXLLayoutList::addItem(CVXLElement* item, std::int32_t absolute)
{
    if (!item || !list_.inWindow(absolute))
        return false;
    item->setElementOwner(this);
    item->setIndexWord(0);
    if (!list_.insertAt(item, absolute))
        return false;
    if (!currentElement())
        setCurrentElement(item);
    return true;
}

void CVXLLayoutList::clear()
{
    list_.clear();
    setCurrentElement(nullptr);
}

void CVXLLayoutList::refresh()
{
    if (state() == kStorageState)
        buildStorageEntries();
}

void CVXLLayoutList::dropStorageEntries()
{
    // The window may still point at them.
    for (std::uint32_t i = 0; i < entries_.count(); ++i) {
        CVXLObject* entry = entries_.at(static_cast<int>(i));
        if (currentElement() == entry)
            setCurrentElement(nullptr);
    }
    if (entries_.count() > 0)
        list_.clear();
    entries_.deleteAll();
    online_ = nullptr;
    built_ = 0;
    position_ = 0;
}

bool CVXLLayoutList::addStore(std::int32_t index, std::int32_t* next)
{
    const CVXLMediaStoreManager* stores = CVXLMediaStoreManager::instance();
    auto* entry = new CVXLAlbum(stores->getStoreName(index));
    if (!entry || !entries_.insertAt(entry, -1)) {
        delete entry;
        return false;
    }
    entry->setLocation(stores->getStoreLocation(index));
    addItem(entry, (*next)++);
    if (index == stores->currentIndex())
        setCurrentElement(entry);
    return true;
}

void CVXLLayoutList::buildStorageEntries()
{
    dropStorageEntries();
    const CVXLMediaStoreManager* stores = CVXLMediaStoreManager::instance();
    const std::int32_t count = stores ? static_cast<std::int32_t>(stores->getStoreCount()) : 0;
    std::int32_t next = list_.first() > 0 ? list_.first() : 0;
    std::uint32_t stored = 0;
    auto addOnline = [&] {
        auto* entry = new CVXLAlbum(text(kOnlineAlbumsTextId));
        if (!entry || !entries_.insertAt(entry, -1)) {
            delete entry;
            return;
        }
        entry->setLocation(kOnlineAlbumsLocation);
        online_ = entry;
        addItem(entry, next++);
    };
    for (std::int32_t i = 0; i < count; ++i) {
        if (stores->getStoreKind(i) != kPhoneStore || !addStore(i, &next))
            continue;
        if (++stored == 1 && !suppressOnline_)
            addOnline();
    }
    if (CVXLScreenServices::memoryCardPresent(services()))
        for (std::int32_t i = 0; i < count; ++i)
            if (stores->getStoreKind(i) == kCardStore && addStore(i, &next))
                ++stored;
    if (stored <= 1 && !suppressOnline_ && !online_)
        addOnline();
    built_ = entries_.count();
}

bool CVXLLayoutList::nextEntry(CVXLAlbum** entry, std::uint32_t* location)
{
    if (position_ >= built_)
        return false;
    auto* album = static_cast<CVXLAlbum*>(entries_.at(static_cast<int>(position_++)));
    if (entry)
        *entry = album;
    if (location)
        *location = album ? album->location() : 0;
    return album != nullptr;
}

void CVXLLayoutList::invalidateOnlineEntry()
{
    if (online_)
        online_->setCommitMark(0);
}
