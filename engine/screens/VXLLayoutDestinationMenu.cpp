#include "engine/screens/VXLLayoutDestinationMenu.h"

#include "engine/screens/VXLEditTextElement.h"

CVXLLayoutDestinationMenu::CVXLLayoutDestinationMenu()
    : CVXLLayoutMenuList(kInitialState)
{
}

bool CVXLLayoutDestinationMenu::canSubmitAction(std::uint32_t eventId) const
{
    if (eventId == layoutEventId(kLayoutMenuList, kLayoutActionSelect)) {
        const auto* entry = static_cast<const CVXLEditTextElement*>(currentElement());
        if (entry && entry->value() != 0)
            return false;
    }
    return CVXLLayoutMenuList::canSubmitAction(eventId);
}
