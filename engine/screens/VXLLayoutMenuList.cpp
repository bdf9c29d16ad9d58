#include "engine/screens/VXLLayoutMenuList.h"

#include "engine/core/base/VXLElement.h"

#include <iterator>

namespace {

constexpr std::uint32_t event(std::uint32_t action)
{
    return layoutEventId(kLayoutMenuList, action);
}

constexpr CVXLLayoutCommandRow kRows[] = {
    {0, event(kLayoutActionSelect), kActionKindUnplaced, 656},
    {0, event(kLayoutActionBack), kActionKindUnplaced, 657},
    {0, event(kLayoutActionExit), kActionKindUnplaced, 658},
    {0, event(kLayoutActionUpdate), kActionKindNotApplicable, 659},
    {1, event(kLayoutActionSelect), kActionKindHardKey, 661},
    {1, event(kLayoutActionBack), kActionKindHardKey, 662},
    {1, event(kLayoutActionExit), kActionKindHardKey, 663},
    {1, event(kLayoutActionUpdate), kActionKindLeftSoftKey, 664},
    {2, event(kLayoutActionSelect), kActionKindHardKey, 666},
    {2, event(kLayoutActionBack), kActionKindHardKey, 667},
    {2, event(kLayoutActionExit), kActionKindHardKey, 668},
    {2, event(kLayoutActionUpdate), kActionKindUnplaced, 669},
    {2, event(kLayoutActionContinue), kActionKindLeftSoftKey, 670},
    {3, event(kLayoutActionSelect), kActionKindHardKey, 689},
    {3, event(kLayoutActionBack), kActionKindHardKey, 690},
    {3, event(kLayoutActionExit), kActionKindHardKey, 691},
    {4, event(kLayoutActionSelect), kActionKindHardKey, 695},
    {4, event(kLayoutActionBack), kActionKindHardKey, 696},
    {4, event(kLayoutActionExit), kActionKindHardKey, 697},
};

} // namespace

CVXLLayoutMenuList::CVXLLayoutMenuList()
    : CVXLLayout(kLayoutMenuList)
{
}

CVXLLayoutMenuList::CVXLLayoutMenuList(std::uint32_t initialState)
    : CVXLLayout(kLayoutMenuList, initialState)
{
}

CVXLString CVXLLayoutMenuList::getTitle() const
{
    return titleText_.length() > 0 ? titleText_ : text(titleId_);
}

const CVXLLayoutCommandRow* CVXLLayoutMenuList::getCommandTable() const
{
    return kRows;
}

std::uint32_t CVXLLayoutMenuList::getCommandCount() const
{
    return static_cast<std::uint32_t>(std::size(kRows));
}

CVXLElement* CVXLLayoutMenuList::itemAt(std::uint32_t index) const
{
    return static_cast<CVXLElement*>(entries_.at(static_cast<int>(index)));
}

bool CVXLLayoutMenuList::addItem(CVXLElement* entry)
{
    if (!entry || !entries_.insertAt(entry, -1))
        return false;
    entry->setElementOwner(this);
    if (!currentElement())
        setCurrentElement(entry);
    return true;
}

void CVXLLayoutMenuList::removeAll()
{
    entries_.clear();
    setCurrentElement(nullptr);
}

void CVXLLayoutMenuList::clear()
{
    entries_.deleteAll();
    setCurrentElement(nullptr);
    picture_ = CVXLMediaRefHandle();
}

void CVXLLayoutMenuList::setImageLink(const CVXLString& link, const CVXLString& mimeType)
{
    imageLink_ = link;
    if (link.length() == 0) {
        picture_ = CVXLMediaRefHandle();
        return;
    }
    picture_.setMimeType(mimeType.c_str());
    picture_.setValue(1);
}
