#include "engine/screens/VXLLayoutCaptureChoice.h"

#include <iterator>

namespace {

constexpr std::uint32_t kNext = 0x6A;

constexpr std::uint32_t event(std::uint32_t action)
{
    return layoutEventId(kLayoutCaptureChoice, action);
}

constexpr CVXLLayoutCommandRow kRows[] = {
    {0, event(kLayoutActionUpdate), kActionKindUnplaced, 311},
    {0, event(kNext), kActionKindUnplaced, 312},
    {0, event(kLayoutActionBack), kActionKindUnplaced, 313},
    {0, event(kLayoutActionExit), kActionKindUnplaced, 314},
    {1, event(kLayoutActionUpdate), kActionKindUnplaced, 315},
    {1, event(kNext), kActionKindUnplaced, 316},
    {1, event(kLayoutActionBack), kActionKindUnplaced, 317},
    {1, event(kLayoutActionExit), kActionKindUnplaced, 318},
    {2, event(kLayoutActionUpdate), kActionKindUnplaced, 319},
    {2, event(kNext), kActionKindUnplaced, 320},
    {2, event(kLayoutActionBack), kActionKindUnplaced, 321},
    {2, event(kLayoutActionExit), kActionKindUnplaced, 322},
};

// "Capture Media", "Fun Frame", "Ecard".
constexpr std::uint32_t kTitles[] = {323, 324, 325};

} // namespace

CVXLLayoutCaptureChoice::CVXLLayoutCaptureChoice()
    : CVXLLayout(kLayoutCaptureChoice)
{
}

CVXLString CVXLLayoutCaptureChoice::getTitle() const
{
    return state() < std::size(kTitles) ? text(kTitles[state()]) : CVXLString();
}

const CVXLLayoutCommandRow* CVXLLayoutCaptureChoice::getCommandTable() const
{
    return kRows;
}

std::uint32_t CVXLLayoutCaptureChoice::getCommandCount() const
{
    return static_cast<std::uint32_t>(std::size(kRows));
}
