#include "engine/screens/VXLLayoutChoiceSelection.h"

#include "engine/screens/VXLChoiceElement.h"

#include <climits>
#include <iterator>

namespace {

constexpr std::uint32_t kSelect = layoutEventId(kLayoutChoiceSelection, kLayoutActionSelect);

constexpr CVXLLayoutCommandRow kRows[] = {
    {0, kSelect, kActionKindHardKey, 23},
    {0, layoutEventId(kLayoutChoiceSelection, kLayoutActionContinue), kActionKindHardKey, 24},
    {0, layoutEventId(kLayoutChoiceSelection, kLayoutActionCancel), kActionKindHardKey, 25},
    {0, layoutEventId(kLayoutChoiceSelection, kLayoutActionBack), kActionKindHardKey, 26},
    {0, layoutEventId(kLayoutChoiceSelection, kLayoutActionExit), kActionKindHardKey, 27},
};

// "Tessel Info Alert"
constexpr std::uint32_t kTitle = 28;

} // namespace

CVXLLayoutChoiceSelection::CVXLLayoutChoiceSelection()
    : CVXLLayout(kLayoutChoiceSelection)
{
}

CVXLLayoutChoiceSelection::~CVXLLayoutChoiceSelection()
{
    clearChoices();
}

CVXLString CVXLLayoutChoiceSelection::getTitle() const
{
    return state() == 0 ? text(kTitle) : CVXLString();
}

const CVXLLayoutCommandRow* CVXLLayoutChoiceSelection::getCommandTable() const
{
    return kRows;
}

std::uint32_t CVXLLayoutChoiceSelection::getCommandCount() const
{
    return static_cast<std::uint32_t>(std::size(kRows));
}

bool CVXLLayoutChoiceSelection::canSubmitAction(std::uint32_t eventId) const
{
    if (eventId == kSelect && items_.count() == 0)
        return false;
    return CVXLLayout::canSubmitAction(eventId);
}

void CVXLLayoutChoiceSelection::detachView()
{
    clearChoices();
    CVXLLayout::detachView();
}

void CVXLLayoutChoiceSelection::onRequestTaken(CVXLUIRequest*)
{
    for (std::uint32_t i = 0; i < items_.count(); ++i)
        choiceAt(i)->clearCommitted();
}

bool CVXLLayoutChoiceSelection::addChoice(CVXLChoiceElement* item)
{
    if (!item)
        return false;
    if (items_.insertAt(item, -1) == 0) {
        delete item;
        return false;
    }
    return true;
}

CVXLChoiceElement* CVXLLayoutChoiceSelection::choiceAt(std::uint32_t index) const
{
    if (index >= items_.count() || index > INT_MAX)
        return nullptr;
    return static_cast<CVXLChoiceElement*>(items_.at(static_cast<int>(index)));
}

void CVXLLayoutChoiceSelection::clearChoices()
{
    // The current element may be one of them.
    setCurrentElement(nullptr);
    items_.deleteAll();
    selected_ = 0;
}

void CVXLLayoutChoiceSelection::deselectAll()
{
    for (std::uint32_t i = 0; i < items_.count(); ++i)
        choiceAt(i)->setSelected(0);
}

const CVXLString* CVXLLayoutChoiceSelection::selectedKey() const
{
    for (std::uint32_t i = 0; i < items_.count(); ++i) {
        if (choiceAt(i)->isSelected())
            return &choiceAt(i)->key();
    }
    return nullptr;
}
