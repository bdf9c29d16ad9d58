#include "engine/screens/VXLLayoutFolderList.h"

#include "engine/screens/VXLFolderEntry.h"
#include "engine/screens/VXLScreenServices.h"

#include <iterator>

namespace {

constexpr CVXLLayoutCommandRow kRows[] = {
    {0, CVXLLayoutFolderList::kEventView, kActionKindUnplaced, 41},
    {0, CVXLLayoutFolderList::kEventUpdate, kActionKindHardKey, 42},
    {0, CVXLLayoutFolderList::kEventCompose, kActionKindLeftSoftKey, 44},
    {0, CVXLLayoutFolderList::kEventBack, kActionKindUnplaced, 43},
    {0, CVXLLayoutFolderList::kEventExit, kActionKindUnplaced, 45},
    {1, CVXLLayoutFolderList::kEventView, kActionKindUnplaced, 47},
    {1, CVXLLayoutFolderList::kEventUpdate, kActionKindHardKey, 48},
    {1, CVXLLayoutFolderList::kEventCompose, kActionKindLeftSoftKey, 50},
    {1, CVXLLayoutFolderList::kEventBack, kActionKindUnplaced, 49},
    {1, CVXLLayoutFolderList::kEventExit, kActionKindUnplaced, 51},
};

// "Tessel", "Premium Content".
constexpr std::uint32_t kTitles[] = {46, 52};

} // namespace

CVXLLayoutFolderList::CVXLLayoutFolderList()
    : CVXLLayout(kLayoutFolderList)
{
}

CVXLString CVXLLayoutFolderList::getTitle() const
{
    return state() < std::size(kTitles) ? text(kTitles[state()]) : CVXLString();
}

const CVXLLayoutCommandRow* CVXLLayoutFolderList::getCommandTable() const
{
    return kRows;
}

std::uint32_t CVXLLayoutFolderList::getCommandCount() const
{
    return static_cast<std::uint32_t>(std::size(kRows));
}

bool CVXLLayoutFolderList::prepare()
{
    list_.setFirst(0);
    list_.setLength(CVXLListModel::boundedLength(configNumber(kConfigWindowLength, 0)));
    list_.setCursor(0);
    list_.clear();
    setCurrentElement(nullptr);
    return true;
}

bool CVXLLayoutFolderList::canSubmitAction(std::uint32_t eventId) const
{
    // Nothing ever sets the flag, so a current row is enough: without it
    // the folders could never be opened.
    if (eventId == kEventView)
        return viewAllowed_ != 0 || currentElement() != nullptr;
    return true;
}

void CVXLLayoutFolderList::detachView()
{
    clear();
    CVXLLayout::detachView();
}

bool CVXLLayoutFolderList::addEntry(CVXLFolderEntry* entry, std::int32_t position)
{
    if (!entry || !list_.setAtPosition(entry, position))
        return false;
    entry->setElementOwner(this);
    if (!currentElement())
        setCurrentElement(entry);
    return true;
}

void CVXLLayoutFolderList::clear()
{
    list_.clear();
    setCurrentElement(nullptr);
}

CVXLFolderEntry* CVXLLayoutFolderList::currentEntry() const
{
    return static_cast<CVXLFolderEntry*>(currentElement());
}

CVXLFolderEntry* CVXLLayoutFolderList::entryAt(std::int32_t position) const
{
    return static_cast<CVXLFolderEntry*>(list_.itemAt(position));
}
