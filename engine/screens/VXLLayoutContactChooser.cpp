#include "engine/screens/VXLLayoutContactChooser.h"

#include "engine/screens/VXLContactListElement.h"

#include <iterator>

namespace {

constexpr CVXLLayoutCommandRow kRows[] = {
    {0, layoutEventId(kLayoutContactChooser, kLayoutActionContinue), kActionKindUnplaced, 29},
    {0, layoutEventId(kLayoutContactChooser, kLayoutActionBack), kActionKindUnplaced, 30},
    {0, layoutEventId(kLayoutContactChooser, kLayoutActionExit), kActionKindUnplaced, 31},
};

// "Local Contact Chooser"
constexpr std::uint32_t kTitle = 32;

} // namespace

CVXLLayoutContactChooser::CVXLLayoutContactChooser()
    : CVXLLayout(kLayoutContactChooser)
{
}

CVXLLayoutContactChooser::~CVXLLayoutContactChooser()
{
    CVXLContactListElement* contacts = globalContactContainer();
    if (contacts && contacts->elementOwner() == this)
        contacts->setElementOwner(nullptr);
}

bool CVXLLayoutContactChooser::prepare()
{
    if (CVXLContactListElement* contacts = globalContactContainer())
        contacts->setElementOwner(this);
    return true;
}

CVXLString CVXLLayoutContactChooser::getTitle() const
{
    return state() == 0 ? text(kTitle) : CVXLString();
}

const CVXLLayoutCommandRow* CVXLLayoutContactChooser::getCommandTable() const
{
    return kRows;
}

std::uint32_t CVXLLayoutContactChooser::getCommandCount() const
{
    return static_cast<std::uint32_t>(std::size(kRows));
}
