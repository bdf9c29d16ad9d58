#include "engine/screens/VXLLayoutProgressSpinner.h"

#include <iterator>

namespace {

constexpr std::uint32_t kCancel = layoutEventId(kLayoutProgressSpinner, kLayoutActionCancel);
constexpr std::uint32_t kBack = layoutEventId(kLayoutProgressSpinner, kLayoutActionBack);
constexpr std::uint32_t kExit = layoutEventId(kLayoutProgressSpinner, kLayoutActionExit);

constexpr CVXLLayoutCommandRow kRows[] = {
    {0, kCancel, kActionKindUnplaced, 699},
    {0, kBack, kActionKindUnplaced, 700},
    {0, kExit, kActionKindUnplaced, 701},
    {1, kCancel, kActionKindUnplaced, 702},
    {1, kBack, kActionKindUnplaced, 703},
    {1, kExit, kActionKindUnplaced, 704},
    {2, kCancel, kActionKindUnplaced, 705},
    {2, kBack, kActionKindUnplaced, 706},
    {2, kExit, kActionKindUnplaced, 707},
    {3, kCancel, kActionKindUnplaced, 708},
    {3, kBack, kActionKindUnplaced, 709},
    {3, kExit, kActionKindUnplaced, 710},
    {4, kCancel, kActionKindUnplaced, 711},
    {4, kBack, kActionKindUnplaced, 712},
    {4, kExit, kActionKindUnplaced, 713},
    {5, kCancel, kActionKindUnplaced, 714},
    {5, kBack, kActionKindUnplaced, 715},
    {5, kExit, kActionKindUnplaced, 716},
};

constexpr std::uint32_t kTitle = 717;

} // namespace

CVXLLayoutProgressSpinner::CVXLLayoutProgressSpinner(std::uint32_t initialState)
    : CVXLLayout(kLayoutProgressSpinner, initialState)
{
}

CVXLString CVXLLayoutProgressSpinner::getTitle() const
{
    return text(kTitle);
}

const CVXLLayoutCommandRow* CVXLLayoutProgressSpinner::getCommandTable() const
{
    return kRows;
}

std::uint32_t CVXLLayoutProgressSpinner::getCommandCount() const
{
    return static_cast<std::uint32_t>(std::size(kRows));
}
