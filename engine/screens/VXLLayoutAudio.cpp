#include "engine/screens/VXLLayoutAudio.h"

#include <iterator>

namespace {

constexpr std::uint32_t kTitleId = 751;

constexpr CVXLLayoutCommandRow kRows[] = {
    {0, CVXLLayoutAudio::kEventOk, kActionKindHardKey, 750},
    {0, CVXLLayoutAudio::kEventBack, kActionKindHardKey, 748},
    {0, CVXLLayoutAudio::kEventExit, kActionKindHardKey, 749},
};

} // namespace

CVXLLayoutAudio::CVXLLayoutAudio()
    : CVXLLayout(kLayoutAudio)
{
}

CVXLString CVXLLayoutAudio::getTitle() const
{
    return text(kTitleId);
}

const CVXLLayoutCommandRow* CVXLLayoutAudio::getCommandTable() const
{
    return kRows;
}

std::uint32_t CVXLLayoutAudio::getCommandCount() const
{
    return static_cast<std::uint32_t>(std::size(kRows));
}
