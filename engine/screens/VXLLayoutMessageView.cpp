#include "engine/screens/VXLLayoutMessageView.h"

#include "engine/messaging/store/VXLMessageSummary.h"
#include "engine/screens/VXLSlideMediaItem.h"
#include "engine/screens/VXLSlideNavigator.h"

#include <iterator>

namespace {

using View = CVXLLayoutMessageView;

constexpr std::uint32_t kMenu = kActionKindMenuItem;
constexpr std::uint32_t kHidden = kActionKindNotApplicable;

// One state's rows, labels counted from `label`; state 2 swaps the labels of
// the two assign commands.
#define VXL_VIEW_ROWS(state, label, reply, assignAudio, assignMediaLabel, assignAudioLabel)                  \
    {state, View::eventOf(View::kReply), reply, label},                                                      \
        {state, View::eventOf(View::kReplyAll), reply == kHidden ? kHidden : kMenu, label + 1},              \
        {state, View::eventOf(View::kForward), kMenu, label + 2},                                            \
        {state, View::eventOf(View::kSaveMedia), kMenu, label + 3},                                          \
        {state, View::eventOf(View::kAssignMedia), kMenu, assignMediaLabel},                                 \
        {state, View::eventOf(View::kAssignAudio), assignAudio, assignAudioLabel},                           \
        {state, View::eventOf(View::kSaveMessage), kMenu, label + 6},                                        \
        {state, View::eventOf(View::kPrintMedia), kMenu, label + 7},                                         \
        {state, View::eventOf(View::kDelete), kMenu, label + 8},                                             \
        {state, View::eventOf(View::kNextSlide), kMenu, label + 9},                                          \
        {state, View::eventOf(View::kPreviousSlide), kMenu, label + 10},                                     \
    {                                                                                                        \
        state, View::eventOf(View::kFollowUrl), kMenu, label + 11                                            \
    }

#define VXL_VIEW_KEYS(state, label)                                                                          \
    {state, View::eventOf(kLayoutActionBack), kActionKindHardKey, label},                                    \
    {                                                                                                        \
        state, View::eventOf(kLayoutActionExit), kActionKindHardKey, label + 1                               \
    }

constexpr CVXLLayoutCommandRow kRows[] = {
    VXL_VIEW_ROWS(0, 473, kActionKindLeftSoftKey, kHidden, 477, 478),
    {0, View::eventOf(View::kViewMedia), kMenu, 485},
    VXL_VIEW_KEYS(0, 486),
    VXL_VIEW_ROWS(1, 488, kHidden, kHidden, 492, 493),
    VXL_VIEW_KEYS(1, 500),
    VXL_VIEW_ROWS(2, 502, kActionKindLeftSoftKey, kHidden, 507, 506),
    VXL_VIEW_KEYS(2, 514),
    VXL_VIEW_ROWS(8, 518, kActionKindLeftSoftKey, kHidden, 522, 523),
    VXL_VIEW_KEYS(8, 530),
    VXL_VIEW_ROWS(9, 532, kActionKindLeftSoftKey, kHidden, 536, 537),
    VXL_VIEW_KEYS(9, 544),
    VXL_VIEW_ROWS(10, 546, kActionKindLeftSoftKey, kMenu, 550, 551),
    VXL_VIEW_KEYS(10, 558),
};
#undef VXL_VIEW_ROWS
#undef VXL_VIEW_KEYS

static_assert(std::size(kRows) == View::kCommandRows);

constexpr struct {
    std::uint32_t state;
    std::uint32_t text; // 0: the layout's own title
} kTitles[] = {
    {0, 0},
    {17, 0},
    {1, 561},
    {2, 562},
    {8, 568},
    {9, 569},
    {10, 570},
};

} // namespace

CVXLLayoutMessageView::CVXLLayoutMessageView()
    : CVXLLayout(kLayoutMessageView)
{
}

CVXLLayoutMessageView::~CVXLLayoutMessageView()
{
    releaseSlide();
}

CVXLString CVXLLayoutMessageView::getTitle() const
{
    for (const auto& entry : kTitles) {
        if (entry.state == state())
            return entry.text ? text(entry.text) : title_;
    }
    return CVXLString();
}

const CVXLLayoutCommandRow* CVXLLayoutMessageView::rowOf(std::uint32_t eventId) const
{
    for (const CVXLLayoutCommandRow& row : kRows) {
        if (row.state == state() && row.eventId == eventId)
            return &row;
    }
    return nullptr;
}

std::uint32_t CVXLLayoutMessageView::getActionKind(std::uint32_t eventId) const
{
    const CVXLLayoutCommandRow* row = rowOf(eventId);
    if (!row)
        return kActionKindUnplaced;
    // A link takes the left soft key; "Reply" moves to the menu where it is shown at all.
    if (hasLink() && eventId == eventOf(kFollowUrl))
        return kActionKindLeftSoftKey;
    if (hasLink() && eventId == eventOf(kReply) && row->kind != kActionKindNotApplicable)
        return kActionKindMenuItem;
    return row->kind;
}

CVXLString CVXLLayoutMessageView::getActionLabel(std::uint32_t eventId) const
{
    const CVXLLayoutCommandRow* row = rowOf(eventId);
    if (!row)
        return CVXLString();
    if (hasLink() && eventId == eventOf(kFollowUrl))
        return text(kLabelGo);
    return text(row->labelId);
}

bool CVXLLayoutMessageView::canSubmitAction(std::uint32_t eventId) const
{
    if (!CVXLLayout::canSubmitAction(eventId))
        return false;
    const bool severalSlides = navigator_ && navigator_->isAttached() && navigator_->count() > 1;
    const CVXLSlideMediaItem* first = elementAt(0);
    switch (eventId & 0xFFFF) {
    case kAssignMedia:
        return first && !first->assignLocked();
    case kSaveMedia:
        return first && !first->saveLocked();
    case kFollowUrl:
        return hasLink();
    case kSaveMessage:
        return true;
    case kForward:
        return summary_ && !summary_->forwardLocked() && summary_->forwardLockedCount() == 0;
    case kPrintMedia:
    case kAssignAudio:
        return false;
    case kNextSlide:
    case kPreviousSlide:
        return severalSlides;
    case kReplyAll:
        return summary_ && summary_->severalAddressees();
    case kViewMedia:
        return navigator_ && navigator_->isAttached() && summary_
            && (summary_->imageCount() != 0 || summary_->videoCount() != 0) && !mediaView();
    }
    return true;
}

const CVXLLayoutCommandRow* CVXLLayoutMessageView::getCommandTable() const
{
    return kRows;
}

std::uint32_t CVXLLayoutMessageView::getCommandCount() const
{
    return kCommandRows;
}

void CVXLLayoutMessageView::setDuration(std::int32_t duration)
{
    duration_ = duration;
    hasDuration_ = 1;
}

bool CVXLLayoutMessageView::addElement(CVXLSlideMediaItem* item)
{
    if (!item)
        return false;
    if (!elements_.insertAt(item, -1)) {
        delete item;
        return false;
    }
    item->setElementOwner(this);
    if (!currentElement())
        setCurrentElement(item);
    return true;
}

CVXLSlideMediaItem* CVXLLayoutMessageView::elementAt(std::uint32_t index) const
{
    return index < elements_.count() ? static_cast<CVXLSlideMediaItem*>(elements_.at(static_cast<int>(index)))
                                     : nullptr;
}

void CVXLLayoutMessageView::setText(const CVXLString& text)
{
    text_ = text;
    hasText_ = 1;
}

void CVXLLayoutMessageView::setAudio(const CVXLMediaRefHandle& audio)
{
    audio_ = audio;
    hasAudio_ = 1;
}

void CVXLLayoutMessageView::releaseSlide()
{
    setCurrentElement(nullptr);
    for (std::uint32_t i = 0; i < elements_.count(); ++i)
        delete static_cast<CVXLSlideMediaItem*>(elements_.at(static_cast<int>(i)));
    elements_.clear();
    hasDuration_ = 0;
    text_ = CVXLString();
    hasText_ = 0;
    audio_ = CVXLMediaRefHandle();
    hasAudio_ = 0;
}

void CVXLLayoutMessageView::clearAudioFlags()
{
    hasAudio_ = 0;
    audioLocked_ = 0;
}
