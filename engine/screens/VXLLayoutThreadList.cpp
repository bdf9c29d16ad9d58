#include "engine/screens/VXLLayoutThreadList.h"

#include "engine/records/VXLMessageListItem.h"
#include "engine/screens/VXLScreenServices.h"

#include <iterator>

namespace {

constexpr std::uint32_t event(std::uint32_t action)
{
    return layoutEventId(kLayoutThreadList, action);
}

constexpr std::uint32_t kCompose = 0x6D;
constexpr std::uint32_t kDelete = 0x6F;
constexpr std::uint32_t kDeleteAll = 0x8A;

constexpr CVXLLayoutCommandRow kRows[] = {
    {0, event(kLayoutActionContinue), kActionKindHardKey, 304},
    {0, event(kLayoutActionUpdate), kActionKindUnplaced, 305},
    {0, event(kCompose), kActionKindUnplaced, 308},
    {0, event(kDelete), kActionKindHardKey, 306},
    {0, event(kDeleteAll), kActionKindHardKey, 307},
    {0, event(kLayoutActionBack), kActionKindHardKey, 309},
    {0, event(kLayoutActionExit), kActionKindHardKey, 310},
};

} // namespace

CVXLLayoutThreadList::CVXLLayoutThreadList()
    : CVXLLayout(kLayoutThreadList)
{
}

CVXLString CVXLLayoutThreadList::getTitle() const
{
    return state() == 0 ? text(kTitleId) : CVXLString();
}

const CVXLLayoutCommandRow* CVXLLayoutThreadList::getCommandTable() const
{
    return kRows;
}

std::uint32_t CVXLLayoutThreadList::getCommandCount() const
{
    return static_cast<std::uint32_t>(std::size(kRows));
}

bool CVXLLayoutThreadList::canSubmitAction(std::uint32_t eventId) const
{
    if (!CVXLLayout::canSubmitAction(eventId))
        return false;
    if (hasItems())
        return true;
    return eventId != event(kLayoutActionContinue) && eventId != event(kLayoutActionUpdate)
        && eventId != event(kDelete) && eventId != event(kDeleteAll);
}

void CVXLLayoutThreadList::reset()
{
    list_.setWindow(0, CVXLListModel::boundedLength(configNumber(kConfigWindowLength, kDefaultWindowLength)));
    list_.clear();
    list_.setCursor(0);
    list_.setStopAtEnd(1);
    setCurrentElement(nullptr);
}

bool CVXLLayoutThreadList::addItem(CVXLMessageListItem* item, std::int32_t absolute)
{
    if (!item || !list_.inWindow(absolute))
        return false;
    item->setElementOwner(this);
    item->setIndexWord(0);
    if (!list_.setAtPosition(item, absolute))
        return false;
    if (!currentElement())
        setCurrentElement(item);
    return true;
}

void CVXLLayoutThreadList::clear()
{
    list_.clear();
    setCurrentElement(nullptr);
}

bool CVXLLayoutThreadList::hasItems() const
{
    for (std::int32_t i = 0; i < list_.length(); ++i)
        if (list_.hasItemAt(list_.first() + i))
            return true;
    return false;
}

CVXLMessageListItem* CVXLLayoutThreadList::selectedItem() const
{
    CVXLElement* current = currentElement();
    return current && current->elementType() == kElementMessageListItem
        ? static_cast<CVXLMessageListItem*>(current)
        : nullptr;
}
