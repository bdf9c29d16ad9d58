#include "engine/screens/VXLLayoutInformation.h"

#include "engine/core/base/VXLListIterator.h"

#include <iterator>

namespace {

constexpr std::uint32_t kContinue = layoutEventId(kLayoutInformation, kLayoutActionContinue);
constexpr std::uint32_t kCancel = layoutEventId(kLayoutInformation, kLayoutActionCancel);
constexpr std::uint32_t kBack = layoutEventId(kLayoutInformation, kLayoutActionBack);
constexpr std::uint32_t kExit = layoutEventId(kLayoutInformation, kLayoutActionExit);

constexpr CVXLLayoutCommandRow kRows[] = {
    {0, kContinue, kActionKindHardKey, 80},
    {0, kCancel, kActionKindHardKey, 81},
    {0, kBack, kActionKindHardKey, 82},
    {0, kExit, kActionKindHardKey, 83},
    {1, kContinue, kActionKindHardKey, 84},
    {1, kCancel, kActionKindHardKey, 85},
    {1, kBack, kActionKindHardKey, 86},
    {1, kExit, kActionKindHardKey, 87},
    {2, kContinue, kActionKindHardKey, 88},
    {2, kCancel, kActionKindHardKey, 89},
    {2, kBack, kActionKindHardKey, 90},
    {2, kExit, kActionKindHardKey, 91},
    {3, kContinue, kActionKindHardKey, 92},
    {3, kCancel, kActionKindHardKey, 93},
    {3, kBack, kActionKindHardKey, 94},
    {3, kExit, kActionKindHardKey, 95},
};

// "Online Information", "In Phone Information", "?" (state 2 shows its own).
constexpr std::uint32_t kTitleOnline = 96;
constexpr std::uint32_t kTitleInPhone = 97;
constexpr std::uint32_t kTitleQuestion = 99;

} // namespace

CVXLLayoutInformation::CVXLLayoutInformation(std::uint32_t initialState)
    : CVXLLayout(kLayoutInformation, initialState)
{
}

CVXLString CVXLLayoutInformation::getTitle() const
{
    switch (state()) {
    case kStateOnline:
        return text(kTitleOnline);
    case kStateInPhone:
        return text(kTitleInPhone);
    case kStateHelp:
        return title_;
    case kStateQuestion:
        return text(kTitleQuestion);
    default:
        return CVXLString();
    }
}

const CVXLLayoutCommandRow* CVXLLayoutInformation::getCommandTable() const
{
    return kRows;
}

std::uint32_t CVXLLayoutInformation::getCommandCount() const
{
    return static_cast<std::uint32_t>(std::size(kRows));
}

bool CVXLLayoutInformation::canSubmitAction(std::uint32_t eventId) const
{
    const bool confirmation
        = mode_ == kModeConfirm || mode_ == kModeConfirmForward || mode_ == kModeConfirmDraft;
    if (eventId == kContinue && !(confirmation || mode_ == kModeNotice))
        return false;
    if (eventId == kCancel && !confirmation)
        return false;
    return CVXLLayout::canSubmitAction(eventId);
}

void CVXLLayoutInformation::setMedia(const CVXLMediaRefHandle& media)
{
    media_ = media;
    hasMedia_ = 1;
}

void CVXLLayoutInformation::setList(const CVXLList& items)
{
    if (&items == &list_)
        return;
    list_.clear();
    for (CVXLListIterator at = items.begin(); !at.atEnd(); at.next())
        list_.append(at.current());
}
