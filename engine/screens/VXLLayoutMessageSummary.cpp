#include "engine/screens/VXLLayoutMessageSummary.h"

#include <iterator>

namespace {

constexpr std::uint32_t event(std::uint32_t action)
{
    return layoutEventId(kLayoutMessageSummary, action);
}

constexpr std::uint32_t kRetrieve = 0x7D;
constexpr std::uint32_t kView = 0x84;
constexpr std::uint32_t kDelete = 0x6F;
constexpr std::uint32_t kFollowUrl = 0x70;

// Per state the same six events; labels from 445, six per state.
#define VXL_SUMMARY_ROWS(state, retrieveKind, viewKind, deleteKind)                                          \
    {state, event(kRetrieve), retrieveKind, 445 + 6 * state},                                                \
        {state, event(kView), viewKind, 446 + 6 * state},                                                    \
        {state, event(kDelete), deleteKind, 447 + 6 * state},                                                \
        {state, event(kFollowUrl), kActionKindNotApplicable, 448 + 6 * state},                               \
        {state, event(kLayoutActionBack), kActionKindHardKey, 449 + 6 * state},                              \
    {                                                                                                        \
        state, event(kLayoutActionExit), kActionKindHardKey, 450 + 6 * state                                 \
    }

constexpr CVXLLayoutCommandRow kRows[] = {
    VXL_SUMMARY_ROWS(0, kActionKindNotApplicable, kActionKindLeftSoftKey, kActionKindRightSoftKey),
    VXL_SUMMARY_ROWS(1, kActionKindNotApplicable, kActionKindLeftSoftKey, kActionKindRightSoftKey),
    VXL_SUMMARY_ROWS(2, kActionKindLeftSoftKey, kActionKindNotApplicable, kActionKindNotApplicable),
    VXL_SUMMARY_ROWS(3, kActionKindLeftSoftKey, kActionKindNotApplicable, kActionKindNotApplicable),
};
#undef VXL_SUMMARY_ROWS

constexpr std::uint32_t kTitles[] = {469, 470, 471, 472};

} // namespace

CVXLLayoutMessageSummary::CVXLLayoutMessageSummary()
    : CVXLLayout(kLayoutMessageSummary)
{
}

CVXLString CVXLLayoutMessageSummary::getTitle() const
{
    return state() < std::size(kTitles) ? text(kTitles[state()]) : CVXLString();
}

const CVXLLayoutCommandRow* CVXLLayoutMessageSummary::getCommandTable() const
{
    return kRows;
}

std::uint32_t CVXLLayoutMessageSummary::getCommandCount() const
{
    return static_cast<std::uint32_t>(std::size(kRows));
}
