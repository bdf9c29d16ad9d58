#include "engine/screens/VXLLayoutProgressBar.h"

#include <iterator>

namespace {

constexpr std::uint32_t kCancel = layoutEventId(kLayoutProgressBar, kLayoutActionCancel);
constexpr std::uint32_t kBack = layoutEventId(kLayoutProgressBar, kLayoutActionBack);
constexpr std::uint32_t kExit = layoutEventId(kLayoutProgressBar, kLayoutActionExit);

constexpr CVXLLayoutCommandRow kRows[] = {
    {0, kCancel, kActionKindHardKey, 718},
    {0, kBack, kActionKindHardKey, 719},
    {0, kExit, kActionKindHardKey, 720},
    {1, kCancel, kActionKindHardKey, 721},
    {1, kBack, kActionKindHardKey, 722},
    {1, kExit, kActionKindHardKey, 723},
    {2, kCancel, kActionKindHardKey, 724},
    {2, kBack, kActionKindHardKey, 725},
    {2, kExit, kActionKindHardKey, 726},
    {3, kCancel, kActionKindHardKey, 727},
    {3, kBack, kActionKindHardKey, 728},
    {3, kExit, kActionKindHardKey, 729},
    {4, kCancel, kActionKindHardKey, 733},
    {4, kBack, kActionKindHardKey, 734},
    {4, kExit, kActionKindHardKey, 735},
    {5, kCancel, kActionKindHardKey, 730},
    {5, kBack, kActionKindHardKey, 731},
    {5, kExit, kActionKindHardKey, 732},
};

// "Queuing Media For Upload", "Downloading Media", "Sending Message",
// "Retrieving Message", "Configuring Device", "Deleting Media".
constexpr std::uint32_t kTitles[CVXLLayoutProgressBar::kStateCount] = {736, 738, 739, 740, 741, 737};

} // namespace

CVXLLayoutProgressBar::CVXLLayoutProgressBar(std::uint32_t initialState)
    : CVXLLayout(kLayoutProgressBar, initialState)
{
}

CVXLString CVXLLayoutProgressBar::getTitle() const
{
    return state() < kStateCount ? text(kTitles[state()]) : CVXLString();
}

const CVXLLayoutCommandRow* CVXLLayoutProgressBar::getCommandTable() const
{
    return kRows;
}

std::uint32_t CVXLLayoutProgressBar::getCommandCount() const
{
    return static_cast<std::uint32_t>(std::size(kRows));
}
